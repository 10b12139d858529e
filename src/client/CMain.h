// The main client scene: connects to the game server, hands its lines to the protocol, edits and sends
// the typed line, turns the editing and arrow keys into moves and clicks into looks, and draws the world,
// the chat window, the input line and the progress of each dream download.
#pragma once

#include <string>

#include "app/Scene.h"
#include "client/ChatLog.h"
#include "client/ConnectionKeeper.h"
#include "gfx/CText.h"
#include "net/NetClient.h"

class CTextWindow;

class CMain : public Scene {
public:
    // The clock times the pauses between reconnection tries.
    explicit CMain(ConnectionKeeper::Clock clock = std::chrono::steady_clock::now);
    ~CMain() override;

    void Update(float seconds) override;
    void Render() override;
    std::string GetName() override { return "CMain"; }

    const CTextWindow& ChatWindow() const { return *m_chatWindow; }
    const std::string& InputLine() const { return m_inputLine; }
    const NetClient& Connection() const { return m_keeper.Connection(); }

private:
    void ReadTypedCharacters();
    void SendTypedLine();
    void ShowReplayStatus();
    void ReadDesktopInput();  // paste, the wheel over the chat panel, the window title

    CTextWindow* m_chatWindow = nullptr;  // owned: connection messages, server and status texts
    std::string m_inputLine;              // the line being typed; in a replay, the replay's status
    CText m_inputText;                    // shows the input line
    ConnectionKeeper m_keeper;            // the game connection and its reconnection
    CText m_transferText;                 // reused for each transfer's progress line
    ChatLog m_chatLog{"chatlog"};         // what enters the chat window, for the player to keep
    bool m_titleShowsName = false;        // the window title names the logged-in profile
};
