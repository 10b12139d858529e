// The game connection's life: connect, notice a loss, say it, and try again after a pause.
#include "client/ConnectionKeeper.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <sstream>

#include "client/ServerLines.h"
#include "client/SessionRecorder.h"
#include "net/NetClient.h"
#include "platform/MessageBox.h"
#include "platform/NativePath.h"
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"

namespace {

// The host word and the port of the address file; false when it cannot be opened.
bool ReadServerAddress(std::string& host, int& port) {
    std::FILE* file = OpenFile("data\\velm_ip.txt", "r");
    if (file == nullptr) return false;
    std::string text;
    char buffer[256];
    // Only the start matters: the host word and the port follow each other at the front.
    if (std::size_t count = std::fread(buffer, 1, sizeof buffer, file)) text.assign(buffer, count);
    std::fclose(file);
    std::istringstream in(text);
    std::string word;
    if (in >> word) host = word;
    int number = 0;
    if (in >> number) port = number;
    return true;
}

}  // namespace

ConnectionKeeper::ConnectionKeeper(Clock clock, Chat chat)
    : m_clock(std::move(clock)), m_chat(std::move(chat)) {
    m_connection = track(new NetClient(), "NetClient()", VELM_SITE);
    SetGameConnection(m_connection);
}

ConnectionKeeper::~ConnectionKeeper() {
    SetGameConnection(nullptr);
    trackedDelete(m_connection, VELM_SITE);
}

bool ConnectionKeeper::IsConnected() const {
    return m_connection->IsConnected();
}

void ConnectionKeeper::ConnectFirst() {
    m_everConnected = Connect();
}

// Reads the address file and connects the current NetClient, with the chat texts of every try.
bool ConnectionKeeper::Connect() {
    std::string host = "Failed to load";
    int port = 0;
    if (!ReadServerAddress(host, port)) {
        errorLog.Write("Failed to load velm's ip and port from file.\n");
        if (!m_everConnected) EchoStartupFailure("Failed to load velm's ip and port from file.\n");
        m_chat("Failed to load velm's ip and port from \\data\\velm_ip.txt file.\n", Tone::Plain);
    } else {
        m_chat("Connecting to velmoria server at ", Tone::Plain);
        m_chat(host, Tone::Plain);
        m_chat(" on port ", Tone::Plain);
        m_chat(std::to_string(port), Tone::Plain);
        m_chat(" ...\n", Tone::Plain);
    }
    const bool connected = m_connection->Connect(host, port);
    m_chat(connected ? "Connected to server.\n" : "CONNECTION TO SERVER FAILED.\n", Tone::Plain);
    if (connected) {
        RecordConnectionMade(host, port);
        m_wasConnected = true;
        m_connectedAt = m_clock();
    }
    return connected;
}

void ConnectionKeeper::Update(bool tryNow) {
    if (m_connection->IsConnected()) return;
    if (m_wasConnected) {
        // The bytes that came before the close are handled first; the loss is said after them.
        if (m_connection->BufferedBytes() > 0) return;
        ReportLoss();
        return;
    }
    if (!m_waiting || !(tryNow || m_clock() >= m_due)) return;
    m_waiting = false;
    // A NetClient serves one connection: the next try takes a new one. It is made before the old one
    // goes, so the process's network byte totals run on through the session.
    NetClient* previous = m_connection;
    m_connection = track(new NetClient(), "NetClient()", VELM_SITE);
    SetGameConnection(m_connection);
    trackedDelete(previous, VELM_SITE);
    if (Connect()) {
        BeginReconnectedLogin();
    } else {
        ScheduleRetry();
    }
}

void ConnectionKeeper::ReportLoss() {
    m_wasConnected = false;
    m_chat("Connection to the server lost.", Tone::Alarm);
    errorLog.Write("Connection to the game server lost.\n");
    // After a refusal the same login would be refused again; without a first connection the player
    // fixes the address file and starts again.
    if (!m_everConnected || LoginRefused()) return;
    if (m_clock() - m_connectedAt >= kSteadyConnection) m_tries = 0;
    ScheduleRetry();
}

void ConnectionKeeper::ScheduleRetry() {
    constexpr int kLast = static_cast<int>(std::size(kPauseSeconds)) - 1;
    const int seconds = kPauseSeconds[std::min(m_tries, kLast)];
    ++m_tries;
    m_due = m_clock() + std::chrono::seconds(seconds);
    m_waiting = true;
    m_chat("Reconnecting in " + std::to_string(seconds) + " s (F5 to try now)...", Tone::Plain);
}
