// The main client scene.
#include "client/CMain.h"

#include <algorithm>
#include <cstdint>

#include "app/MainGame.h"
#include "client/ServerLines.h"
#include "client/SessionRecorder.h"
#include "client/SessionReplay.h"
#include "data/ColorTables.h"
#include "data/PlayerProfile.h"
#include "gfx/CTextWindow.h"
#include "gfx/DXG.h"
#include "gfx/Primitives.h"
#include "net/VelmDataManager.h"
#include "net/VelmFileGetter.h"
#include "platform/MessageBox.h"
#include "platform/NativePath.h"
#include "platform/Window.h"
#include "runtime/Keyboard.h"
#include "runtime/MemoryTracker.h"
#include "runtime/Pointer.h"
#include "world/VelmRenderer.h"

namespace {

constexpr std::uint8_t kBackspace = 0xFF;
constexpr std::uint8_t kEnter = 0xFE;
constexpr std::uint32_t kPanelColour = 0x44444444;
constexpr std::uint8_t kScanF5 = 0x3F;         // tries to reconnect at once
constexpr std::size_t kInputLineLimit = 1000;  // characters, typed or pasted; more are dropped
constexpr std::uint32_t kChatLinesKept = 1000;
constexpr int kLinesPerWheelNotch = 3;

// The direction of a movement code, or -1.
int MoveDirection(std::uint8_t c) {
    switch (c) {
    case 0xF7:  // Up
    case 0xF9:  // Page Up
        return 0;
    case 0xF5:  // Left
    case 0xFB:  // Home
        return 1;
    case 0xF6:  // Down
    case 0xFA:  // End
        return 2;
    case 0xF4:  // Right
    case 0xF8:  // Page Down
        return 3;
    case 0xFC:  // Delete
        return 4;
    case 0xFD:  // Insert
        return 5;
    default: return -1;
    }
}

// The line as sent for the typed line (which ends in a line feed): its first character decides.
std::string RewriteTypedLine(const std::string& line) {
    switch (line[0]) {
    case '`': return line.substr(1);
    case '/': return "wh " + line.substr(1);
    case ':': return line;
    default: return "\"" + line;
    }
}

void AddColoured(CTextWindow& window, const std::string& text, std::uint8_t red, std::uint8_t green,
                 std::uint8_t blue) {
    CText message;
    message.SetColour(red, green, blue, 255);
    message.Append(text);
    window.AddText(message);
}

}  // namespace

CMain::CMain(ConnectionKeeper::Clock clock)
    : m_keeper(std::move(clock), [this](const std::string& text, ConnectionKeeper::Tone tone) {
          if (tone == ConnectionKeeper::Tone::Alarm) {
              AddColoured(*m_chatWindow, text, 220, 150, 150);
          } else {
              m_chatWindow->AddText(text);
          }
      }) {
    m_inputText.SetPosition(50, 555);
    m_inputText.SetWidthLimit(700);
    m_chatWindow =
        track(new CTextWindow(50, 300, 700, 250, kChatLinesKept), "CTextWindow(50,300,700,250)", VELM_SITE);
    m_chatLog.SetSecret(GetPlayerProfile().name, GetPlayerProfile().password);
    m_chatWindow->SetTextObserver([this](const std::string& text) { m_chatLog.Append(text); });
    if (IsReplaying()) {
        // No server: the recording's blocks arrive through AdvanceReplay.
        for (const std::string& text : ReplayConnectionTexts()) m_chatWindow->AddText(text);
    } else {
        m_keeper.ConnectFirst();
    }

    createWorldRenderers();
    loadColorTables();
}

CMain::~CMain() {
    if (m_titleShowsName) platform::SetAppWindowTitle(MainWindowTitle());
    trackedDelete(m_chatWindow, VELM_SITE);
    m_chatWindow = nullptr;
    while (!Transfers().empty()) EndTransfer(Transfers().front());
    destroyWorldRenderers();
}

void CMain::Update(float seconds) {
    PumpServerLines();
    AdvanceReplay(seconds);

    std::string text;
    while (NextTransferMessage(text)) AddColoured(*m_chatWindow, text, 255, 255, 255);

    if (IsReplaying()) {
        ShowReplayStatus();
    } else {
        ReadTypedCharacters();
    }
    ReadDesktopInput();

    int x = 0, y = 0;
    std::int32_t gx = 0, gy = 0;
    if (GetMouseClick(&x, &y) && pickCell(x, y, gx, gy)) LookAt(gx, gy);
    GetMousePosition(&x, &y);
    if (pickCell(x, y, gx, gy)) setHoverCell(gx, gy);

    PollTransfers([](std::string_view line) { return SendLine(line); });
    updateCamera(seconds);
    m_keeper.Update(WasKeyPressed(kScanF5));
}

void CMain::ReadTypedCharacters() {
    while (HasChars()) {
        const bool control = IsKeyDown(kScanLeftControl) || IsKeyDown(kScanRightControl);
        const std::uint8_t c = PopChar();
        if (c == kEnter) m_chatWindow->ScrollToEnd();  // Enter returns the chat window to its newest line
        if (c == kBackspace && !m_inputLine.empty()) {
            m_inputLine.pop_back();
        } else if (c >= 32 && c <= 126 && !control) {
            if (m_inputLine.size() < kInputLineLimit) m_inputLine += static_cast<char>(c);
        } else if (m_keeper.IsConnected()) {
            if (c == kEnter && !m_inputLine.empty()) {
                SendTypedLine();
            } else if (const int direction = MoveDirection(c); direction >= 0) {
                SendMove(direction);
            }
        }
        m_inputText.SetText(m_inputLine);
    }
}

void CMain::ShowReplayStatus() {
    while (HasChars()) PopChar();  // a replay sends nothing: typed lines and moves are dropped
    if (std::string status = ReplayStatusText(); status != m_inputLine) {
        m_inputLine = std::move(status);
        m_inputText.SetText(m_inputLine);
    }
}

void CMain::ReadDesktopInput() {
    // A replay's input line shows the replay: nothing is pasted into it.
    const std::string pasted = TakePastedText();
    if (!pasted.empty() && !IsReplaying()) {
        m_inputLine.append(pasted, 0, kInputLineLimit - std::min(m_inputLine.size(), kInputLineLimit));
        m_inputText.SetText(m_inputLine);
    }
    if (const int notches = TakeMouseWheel()) {
        int x = 0, y = 0;
        GetMousePosition(&x, &y);
        if (x >= 50 && x < 750 && y >= 300 && y < 583) m_chatWindow->Scroll(notches * kLinesPerWheelNotch);
    }
    if (IsLoggedIn() && !m_titleShowsName && !IsReplaying()) {
        platform::SetAppWindowTitle("VelmView - " + GetPlayerProfile().name);
        m_titleShowsName = true;
    }
}

void CMain::SendTypedLine() {
    m_inputLine += '\n';
    if (!SendLine(RewriteTypedLine(m_inputLine))) {
        AddColoured(*m_chatWindow, "SEND TO SERVER FAILED!", 220, 150, 150);
    }
    m_inputLine.clear();
}

void CMain::Render() {
    DXG::ScopedLock lock;
    DXG::Clear(0xFF000000, true, true);
    renderWorld();
    if (gfx::Device* device = DXG::GetDevice()) device->SetRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    DXG::DrawGradient(50, 300, 700, 283, kPanelColour, kPanelColour, kPanelColour, kPanelColour);
    m_chatWindow->Draw();
    m_inputText.Draw();

    const std::list<TransferRecord>& transfers = Transfers();
    const auto count = static_cast<int>(transfers.size());
    int k = 0;
    for (const TransferRecord& transfer : transfers) {
        int written = 0, total = 0;
        if (transfer.getter != nullptr) transfer.getter->GetProgress(written, total);
        m_transferText.Clear();
        m_transferText.SetBackground(0, 0, 0);
        m_transferText.Append("File Transfer (" + transfer.id + "): " + std::to_string(written) + " / " +
                              std::to_string(total));
        m_transferText.SetPosition(250, static_cast<float>(280 - 24 * (count - 1) + 24 * k));
        m_transferText.Draw();
        ++k;
    }
}
