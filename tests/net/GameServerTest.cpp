// The stand-in game server on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "GameServerClient.h"

namespace {
namespace fs = std::filesystem;

TEST_F(GameServerTest, NewcomerGetsTheWorldAndWalksByTheMapsRules) {
    ServerProcess& server = Start({"--bots", "0"});
    LineClient client(server.port());
    const std::vector<std::string> world = client.Enter("Tester", "0123456789");
    EXPECT_EQ(world, (std::vector<std::string>{"]cctest.pcx", ";maps\\small.map", "@ ! !",
                                               "<0123456789 ! ! !", "]s !    Dream One",
                                               "(Welcome to Meadowcross, Tester! Walk onto a glowing marker "
                                               "to visit a dream."}));
    // The line sent, the avatar line everyone gets, the position the mover gets, whether a dream is offered.
    struct Row {
        const char* command;
        const char* avatar;
        const char* position;
        bool offersDream;
    };
    const Row rows[] = {
        {"m 3", "/0123456789 ! ! % ! !", "@ ! !", false},  // a wall: turned toward +x, not moved
        {"m 7", "/0123456789 ! ! ) ! !", "@ ! !", false},  // deep water
        {"m 1", "/0123456789 ! ! ! ! !", "@ ! !", false},  // a pillar
        {"m 9", "/0123456789 !   - ! !", "@ !  ", true},   // onto the dream marker
        {"m 7", "/0123456789 !   ) !  ", "@ !  ", false},  // off the map
        {">", "/0123456789 !   - !  ", "@ !  ", false},    // turned clockwise from -x to -y
        {"<", "/0123456789 !   ) !  ", "@ !  ", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        client.Send(std::string(row.command) + "\n");
        EXPECT_EQ(client.WaitForPrefix("/"), row.avatar);
        EXPECT_EQ(client.WaitForPrefix("@"), row.position);
        if (row.offersDream) {
            EXPECT_EQ(client.WaitForPrefix("]"), "]q dream-one");
        }
    }
    client.Send("l  !  \n");
    EXPECT_EQ(client.WaitForPrefix("("),
              "(You see (1, 0): grass, the dream \"Dream One\". Tester is here: Tester the tester.");
    EXPECT_EQ(server.Stop(), 0);
}

TEST_F(GameServerTest, TextsAndMovesReachTheOthers) {
    ServerProcess& server = Start({"--bots", "0"});
    LineClient ann(server.port());
    ann.Enter("Ann", "AAAAAAAAAA");
    ann.Send("m 9\n");
    ann.WaitForPrefix("]q");
    auto bob = std::make_unique<LineClient>(server.port());
    const std::vector<std::string> world = bob->Enter("Bob", "BBBBBBBBBB");
    EXPECT_NE(std::find(world.begin(), world.end(), "<AAAAAAAAAA !   -"), world.end());
    EXPECT_EQ(ann.WaitForPrefix("<"), "<BBBBBBBBBB ! ! !");
    EXPECT_EQ(ann.WaitForPrefix("("), "(Bob has arrived.");

    ann.Send(
        "\"hello\n\n:waves\nwh Bob psst\nwh Nobody hi\n\"a\x01"
        "b\r\xff\n");
    EXPECT_EQ(bob->WaitForPrefix("("), "(Ann: hello");
    EXPECT_EQ(bob->WaitForPrefix("("), "(Ann waves");
    EXPECT_EQ(bob->WaitForPrefix("("), "(Ann whispers: psst");
    EXPECT_EQ(bob->WaitForPrefix("("), "(Ann: ab");
    EXPECT_EQ(ann.WaitForPrefix("(You"), "(You whisper to Bob: psst");
    EXPECT_EQ(ann.WaitForPrefix("("), "(There is nobody called Nobody here.");
    bob->Send("m 3\n");
    EXPECT_EQ(ann.WaitForPrefix("/"), "/BBBBBBBBBB ! ! % ! !");
    // Bob leaves: his cell is cleared for the others.
    bob.reset();
    EXPECT_EQ(ann.WaitForPrefix(")"), ") ! !");
    EXPECT_EQ(ann.WaitForPrefix("("), "(Bob has left.");
}

TEST_F(GameServerTest, AccountsDecideWhoMayLogIn) {
    WriteTextFile("accounts.txt", "# test accounts\nTester secret\nOther two words\n");
    ServerProcess& server = Start({"--accounts", fs::absolute("accounts.txt").string()});
    const std::pair<const char*, const char*> rows[] = {
        {"connect Tester secret", "&&&&&&&&&&&&&"},
        {"connect Other two words", "&&&&&&&&&&&&&"},
        {"connect Tester wrong", "Invalid Name or password."},
        {"connect Nobody secret", "Invalid Name or password."},
        {"connect ", "Invalid Name or password."}};
    for (const auto& [line, answer] : rows) {
        SCOPED_TRACE(line);
        LineClient client(server.port());
        client.WaitForPrefix("END");
        client.Send(std::string(line) + "\n");
        EXPECT_EQ(client.WaitFor([](const std::string&) { return true; }), answer);
    }
}

TEST_F(GameServerTest, FaultModesMisbehaveAsAsked) {
    for (const char* mode : {"endless-line", "garbage"}) {
        SCOPED_TRACE(mode);
        ServerProcess& server = Start({"--fault", mode, "--bots", "0"});
        LineClient client(server.port());
        client.Enter("Tester");
        EXPECT_EQ(client.WaitForPrefix("(The server's"), "(The server's fault bytes are over.");
        const std::string& all = client.received();
        const std::size_t start = all.find('\n', all.find("(Welcome")) + 1;
        const std::size_t count = std::string(mode) == "garbage" ? 64u << 10 : 2u << 20;
        if (std::string(mode) == "endless-line") {
            EXPECT_EQ(all.compare(start, count, std::string(count, 'x')), 0);
        }
        EXPECT_EQ(all.substr(start + count, 37), "\n(The server's fault bytes are over.\n");
    }
}

TEST_F(GameServerTest, BadClientBytesHurtNobodyAndTheTranscriptHoldsEveryByte) {
    ServerProcess& server = Start({"--bots", "0"});
    LineClient client(server.port());
    client.Enter("Tester");
    client.Send("m 9\n");  // off the start, so the others find room
    client.WaitForPrefix("]q");
    // A line over the limit is dropped up to its line feed.
    client.Send(std::string(100000, 'y') + "\n\"after\n");
    EXPECT_EQ(client.WaitForPrefix("("), "(Tester: after");
    auto rude = std::make_unique<LineClient>(server.port());
    rude->Send("connect Rude x\ndesc d\ncolor \xff\x01\n");
    rude->WaitForPrefix("&");
    rude.reset();
    LineClient second(server.port());
    EXPECT_EQ(second.Enter("Second").back().substr(0, 8), "(Welcome");
    EXPECT_EQ(server.Stop(), 0);

    const std::string transcript = server.transcript();  // bytes escaped, each connection's end named
    for (const char* expected :
         {"2< color \\xff\\x01\\x0a\n", "2 closed by the client\n", "3 closed at shutdown\n"}) {
        EXPECT_NE(transcript.find(expected), std::string::npos) << expected;
    }
}

}  // namespace
