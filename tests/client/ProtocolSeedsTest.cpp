// The protocol fuzz target's seeds (VELM_WRITE_SEEDS=1 writes them to fuzz/seeds/Protocol/) reach their
// handlers.
#include <cstdlib>

#include "ClientTestSupport.h"
#include "client/ServerLines.h"
#include "data/AvatarCode.h"
#include "net/VelmDataManager.h"

namespace {

// The first byte: bit 0 clear logs in before the stream; the rest seeds the batch sizes.
std::vector<std::pair<std::string, std::string>> Seeds() {
    const std::string login(1, '\x10'), greeting(1, '\x11');
    return {
        {"greeting.bin", greeting + "Welcome to the meadow\nEND\n&&&&&&&&&&&&&\n(hello\n"},
        {"texts.bin", login + "(hello there\n[server\tnotice\nNope.\nInvalid Name or password.\nNope.\r\n"},
        {"avatars.bin", login + "<0123456789" + Xy(1, 2) + "!!\n/0123456789" + Xy(2, 2) + "#$" + Xy(1, 2) +
                            "\n)" + Xy(2, 2) + "\n"},
        {"cells.bin", login + "1" + Xy(1, 1) + "!!\n>" + Xy(1, 1) + "!#\n@" + Xy(1, 2) + "\n"},
        {"map.bin", login + "]ccp.pcx\n;m.map\n;..\\m.map\n"},
        {"markers.bin",
         login + "]s" + Xy(1, 1) + "..Red door here\n]s" + Xy(2, 1) + "..Solo\n]t" + Xy(2, 1) + "\n"},
        {"dream.bin", login + "]q lake more words\n"},
    };
}

class ProtocolSeedsTest : public ClientTest {};

TEST_F(ProtocolSeedsTest, SeedsReachTheirHandlers) {
    const char* source = std::getenv("VELM_SOURCE_DIR");
    const char* write = std::getenv("VELM_WRITE_SEEDS");
    const bool toSource = source != nullptr && write != nullptr && std::string(write) == "1";
    WriteTextFile("data/velmfile_ip.txt", "127.0.0.1 1\n");
    LogInWithoutConnection();
    for (const auto& [name, bytes] : Seeds()) {
        if (toSource) WriteTextFile(std::string(source) + "/fuzz/seeds/Protocol/" + name, bytes);
        if (name != "greeting.bin" && name != "map.bin") Batch(bytes.substr(1));
    }
    EXPECT_TRUE(CharacterList().empty());  // appeared, moved, left
    EXPECT_EQ(DreamMarkerList().size(), 1u);
    EXPECT_EQ(Transfers().size(), 1u);
    std::int32_t x = 0, y = 0;
    GetPlayerPosition(x, y);
    EXPECT_NE(x, 0);
}

}  // namespace
