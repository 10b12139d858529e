// The client tests' fixture, keyboard and loopback server.
#include "ClientTestSupport.h"

#include <chrono>
#include <thread>

#include "client/ServerLines.h"
#include "net/VelmDataManager.h"
#include "runtime/MemoryTracker.h"
#include "runtime/ProcessState.h"

namespace {
using namespace std::chrono_literals;

}  // namespace

void FreshProcess() {
    ResetProcessState();
}

bool HeldKeys::GetState(std::uint8_t out[256]) {
    std::copy(down, down + 256, out);
    return true;
}

LoopbackServer::LoopbackServer() {
    EXPECT_TRUE(m_server.Listen(0));
}

LoopbackServer::~LoopbackServer() {
    if (m_peer != nullptr) trackedDelete(m_peer, VELM_SITE);
}

bool LoopbackServer::Accept() {
    return WaitFor([&] { return (m_peer = m_server.TakeClient()) != nullptr; });
}

void LoopbackServer::Send(const std::string& bytes) {
    ASSERT_NE(m_peer, nullptr);
    ASSERT_TRUE(m_peer->SendData(bytes.data(), static_cast<int>(bytes.size())));
}

std::string LoopbackServer::Received(std::size_t count) {
    WaitFor([&] {
        std::vector<std::uint8_t> bytes;
        if (m_peer != nullptr && m_peer->BufferedBytes() != 0 && m_peer->ReceiveData(bytes))
            m_received.append(bytes.begin(), bytes.end());
        return m_received.size() >= count;
    });
    return m_received;
}

std::string LoopbackServer::ReceivedAfterQuiet() {
    std::this_thread::sleep_for(100ms);
    return Received(0);
}

void ClientTest::SetUp() {
    FreshProcess();
    NetClient::SetPollingForTests(2ms, 5ms);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = std::make_unique<ScratchFolder>(std::string(info->test_suite_name()) + "_" + info->name());
    std::filesystem::copy(BuiltProgram("game") / "data", folder->path() / "data",
                          std::filesystem::copy_options::recursive);
    cwd = std::make_unique<WorkingDirectory>(folder->path());
    boxes = std::make_unique<MessageBoxCapture>();
    device = DXG::InitRecordingForTests();
    ASSERT_NE(device, nullptr);
    KeyboardStateManager::SetSource(&keys);
    ASSERT_TRUE(KeyboardStateManager::Init(nullptr, &keys, false));
    ClearLog(errorLog);
}

void ClientTest::TearDown() {
    FreshProcess();
    KeyboardStateManager::SetSource(nullptr);
    boxes.reset();
    cwd.reset();
    folder.reset();
}

std::vector<std::string> ClientTest::TakeMessages() {
    std::vector<std::string> messages;
    std::string text;
    while (NextTransferMessage(text)) messages.push_back(text);
    return messages;
}

void ClientTest::WriteProfile(const std::string& file, const std::string& name) {
    WriteTextFile(file, "V1.6\nName=" + name + "\nPassword=pw\nColors=0123456789\nDesc=A cat\nSpec=37\n");
}

void LogInWithoutConnection() {
    const std::string greeting = "END\n", acknowledgement = "&&&&&&&&&&&&&\n";
    HandleServerBytes(reinterpret_cast<const std::uint8_t*>(greeting.data()), greeting.size());
    HandleServerBytes(reinterpret_cast<const std::uint8_t*>(acknowledgement.data()), acknowledgement.size());
}
