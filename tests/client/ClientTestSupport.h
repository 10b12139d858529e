// Shared pieces of the client tests: the fixture, a loopback game server and the login handshake.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "net/NetClient.h"
#include "net/NetServer.h"
#include "runtime/Keyboard.h"
#include "support/HeldKeys.h"
#include "support/TestSupport.h"
#include "testing/DxgTesting.h"

// Polls the condition every millisecond for up to five seconds; the last result.
template <class Condition>
bool WaitFor(Condition condition) {
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5); !condition();) {
        if (std::chrono::steady_clock::now() > end) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A listening server on 127.0.0.1 and the one connection it accepts.
class LoopbackServer {
public:
    LoopbackServer() { EXPECT_TRUE(m_server.Listen(0)); }
    ~LoopbackServer() { Close(); }
    int Port() const { return m_server.Port(); }
    bool Accept();
    void Send(const std::string& bytes);
    void Close();                                           // the accepted connection; the listener stays
    std::string Received(std::size_t count);                // all so far, once count bytes arrived
    std::string ReceivedAfterQuiet(std::size_t count = 0);  // and then nothing more for a while

private:
    NetServer m_server;
    NetClient* m_peer = nullptr;
    std::string m_received;
};

// A scratch game directory as the working directory, a fresh process on the recording device, held keys.
class ClientTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void StartDeviceAndKeyboard();
    static std::string ErrorText() { return LogText(errorLog); }
    static std::vector<std::string> TakeMessages();  // the status texts queued since the last call
    // Password "pw", Colors "0123456789", Desc "A cat", class digits 3 and 7.
    static void WriteProfile(const std::string& file, const std::string& name);

    gfx::RecordingDevice* device = nullptr;
    HeldKeys keys;
    std::unique_ptr<ScratchFolder> folder;
    std::unique_ptr<WorkingDirectory> cwd;
    std::unique_ptr<MessageBoxCapture> boxes;
};

void Batch(const std::string& bytes);  // as PumpServerLines hands it over
void LogInWithoutConnection();         // the handshake's two batches, nothing to answer on
std::string Xy(int x, int y);
