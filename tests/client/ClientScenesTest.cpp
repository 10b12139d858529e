// The profile chooser and the main scene on the recording device.
#include <algorithm>
#include <string>
#include <vector>

#include "ClientTestSupport.h"
#include "app/SceneManager.h"
#include "client/CChooseINI.h"
#include "client/CMain.h"
#include "data/PlayerProfile.h"
#include "gfx/CTextWindow.h"
#include "net/VelmDataManager.h"
#include "runtime/MemoryTracker.h"

namespace {

class ScenesTest : public ClientTest {
protected:
    static std::vector<std::string> Chat(const CMain& scene) {
        std::vector<std::string> lines;
        for (const CText& line : scene.ChatWindow().GetLines()) lines.push_back(line.GetPlainText());
        return lines;
    }
    static void Type(const std::string& text) {
        for (char c : text) HandleCharMessage({platform::WindowMessage::Char, std::uint8_t(c), false, 0, 0});
    }
    static void Key(std::uint32_t virtualKey, bool extended = true) {
        HandleCharMessage({platform::WindowMessage::KeyDown, virtualKey, extended, 0, 0});
    }
    // Holds the keys for one update of the scene.
    void Press(Scene& scene, std::initializer_list<std::uint8_t> scanCodes) {
        for (std::uint8_t code : scanCodes) keys.down[code] = 0x80;
        KeyboardStateManager::Update();
        scene.Update(0);
        for (std::uint8_t code : scanCodes) keys.down[code] = 0;
        KeyboardStateManager::Update();
    }
    void PressEnter() {
        keys.down[kScanEnter] = 0x80;
        KeyboardStateManager::Update();
        UpdateScenes(0.01f);
        keys.down[kScanEnter] = 0;
        KeyboardStateManager::Update();
        UpdateScenes(0.01f);
    }
};

TEST_F(ScenesTest, TheChooserListsCompleteProfilesButNotTheHostGamesFilesAndWithoutAnyIgnoresKeys) {
    for (const char* excluded : {"options.ini", "audiolist.ini", "ranklevels.ini", "audlist.ini",
                                 "ScrDesign.ini", "scrlist2.ini", "scrlist.ini", "toolset.ini"})
        WriteProfile(excluded, "Host");
    WriteTextFile("broken.ini", "V1.6\nName=Broken\n");
    AddScene(track(new CChooseINI(), "FIRST_SCENE", VELM_SITE));
    EXPECT_EQ(ErrorText(),
              "Error: Could not load all vital data fields from player .ini: broken.ini\n"
              "No valid player .ini files found.\n");
    keys.down[kScanDown] = 0x80;
    PressEnter();
    EXPECT_EQ(CurrentSceneName(), "CChooseINI");

    WriteProfile("bob.ini", "Bob");
    WriteProfile("amy.ini", "Amy");
    CChooseINI chooser;
    ASSERT_EQ(chooser.Entries().size(), 2u);
    EXPECT_EQ(chooser.Entries()[0].label, "Amy (amy.ini)");
    EXPECT_EQ(chooser.Entries()[1].label, "Bob (bob.ini)");
}

TEST_F(ScenesTest, TheChooserMarkerWraps) {
    for (const char* name : {"A", "B", "C"}) WriteProfile(std::string(name) + ".ini", name);
    CChooseINI chooser;
    struct Row {
        std::initializer_list<std::uint8_t> keys;
        std::int32_t selection;
    } rows[] = {
        {{kScanUp}, 2}, {{kScanDown}, 0}, {{kScanDown}, 1}, {{kScanUp, kScanDown}, 1}, {{kScanUp}, 0}};
    for (const Row& row : rows) {
        Press(chooser, row.keys);
        EXPECT_EQ(chooser.Selection(), row.selection);
    }
}

TEST_F(ScenesTest, EnterLoadsTheMarkedProfileOrListsAgainIfItWasDeletedSinceTheListWasMade) {
    for (const char* name : {"Amy", "Bob", "Cat"}) WriteProfile(std::string(name) + ".ini", name);
    AddScene(track(new CChooseINI(), "FIRST_SCENE", VELM_SITE));
    UpdateScenes(0.01f);
    std::filesystem::remove("Amy.ini");
    ClearLog(errorLog);
    PressEnter();
    EXPECT_EQ(CurrentSceneName(), "CChooseINI");
    EXPECT_EQ(ErrorText(), "Failed to open player ini file: Amy.ini\n");
    PressEnter();  // Bob is now marked; the scan left Cat loaded
    EXPECT_EQ(CurrentSceneName(), "CMain");
    EXPECT_EQ(GetPlayerProfile().name, "Bob");
}

class MainSceneTest : public ScenesTest {
protected:
    void SetUp() override {
        ScenesTest::SetUp();
        WriteTextFile("data/velm_ip.txt", "127.0.0.1 " + std::to_string(server.Port()) + " trailing words\n");
    }
    LoopbackServer server;
};

TEST_F(MainSceneTest, TypedLinesAreRewrittenAndSentWithTwoLineFeedsEditingKeysAndMoves) {
    CMain scene;
    ASSERT_TRUE(server.Accept());
    Type("\babx\b");  // Backspace on the empty line does nothing
    scene.Update(0);
    EXPECT_EQ(scene.InputLine(), "ab");
    keys.down[kScanRightControl] = 0x80;  // typing with Control held adds nothing
    KeyboardStateManager::Update();
    Type("cd");
    scene.Update(0);
    EXPECT_EQ(scene.InputLine(), "ab");
    keys.down[kScanRightControl] = 0;
    KeyboardStateManager::Update();
    Type("\r/bob hi\r`raw\r:waves\r\r");
    for (std::uint32_t key : {platform::kVkUp, platform::kVkPageUp, platform::kVkLeft, platform::kVkHome,
                              platform::kVkDown, platform::kVkEnd, platform::kVkRight, platform::kVkPageDown,
                              platform::kVkDelete, platform::kVkInsert})
        Key(key);
    Key(platform::kVkUp, false);  // the keypad's 8 with Num Lock off
    scene.Update(0);
    const std::string sent =
        "\"ab\n\nwh bob hi\n\nraw\n\n:waves\n\nm 9\nm 9\nm 7\nm 7\nm 1\nm 1\nm 3\nm 3\n>\n<\n";
    EXPECT_EQ(server.ReceivedAfterQuiet(sent.size()), sent);
    EXPECT_EQ(scene.InputLine(), "");
}

TEST_F(MainSceneTest, WithoutTheAddressFileTheSceneStaysOffline) {
    std::filesystem::remove("data/velm_ip.txt");
    CMain scene;
    EXPECT_EQ(Chat(scene),
              (std::vector<std::string>{"Failed to load velm's ip and port from \\data\\velm_ip.txt file.",
                                        "CONNECTION TO SERVER FAILED."}));
    Type("hi\r");
    Key(platform::kVkUp);
    scene.Update(0);
    EXPECT_EQ(scene.InputLine(), "hi");
    EXPECT_EQ(Chat(scene).size(), 2u);
}

TEST_F(MainSceneTest, OnlyTheFirst256BytesOfTheAddressFileAreRead) {
    const std::string port = std::to_string(server.Port());
    const struct {
        std::string file;
        std::string shownPort;
        bool connected;
    } rows[] = {
        {"127.0.0.1 " + port + std::string(10000, 'x'), port, true},
        {std::string(247, ' ') + "127.0.0.1 " + port, "0", false},  // the port lies past byte 256
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shownPort);
        StartDeviceAndKeyboard();
        WriteTextFile("data/velm_ip.txt", row.file);
        CMain scene;
        const std::vector<std::string> chat = Chat(scene);
        ASSERT_EQ(chat.size(), 6u);
        EXPECT_EQ(chat[1], "127.0.0.1");
        EXPECT_EQ(chat[3], row.shownPort);
        EXPECT_EQ(scene.Connection().IsConnected(), row.connected);
        if (row.connected) server.Close();
    }
}

}  // namespace
