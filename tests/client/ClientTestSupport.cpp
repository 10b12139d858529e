// The client tests' fixture and loopback server.
#include "ClientTestSupport.h"

#include "client/ServerLines.h"
#include "data/AvatarCode.h"
#include "net/VelmDataManager.h"
#include "runtime/MemoryTracker.h"
#include "runtime/ProcessState.h"

bool LoopbackServer::Accept() {
    return WaitFor([&] { return (m_peer = m_server.TakeClient()) != nullptr; });
}

void LoopbackServer::Close() {
    if (m_peer != nullptr) trackedDelete(m_peer, VELM_SITE);
    m_peer = nullptr;
    m_received.clear();
}

void LoopbackServer::Send(const std::string& bytes) {
    ASSERT_TRUE(m_peer && m_peer->SendData(bytes.data(), static_cast<int>(bytes.size())));
}

std::string LoopbackServer::Received(std::size_t count) {
    WaitFor([&] {
        std::vector<std::uint8_t> bytes;
        if (m_peer && m_peer->BufferedBytes() != 0 && m_peer->ReceiveData(bytes))
            m_received.append(bytes.begin(), bytes.end());
        return m_received.size() >= count;
    });
    return m_received;
}

std::string LoopbackServer::ReceivedAfterQuiet(std::size_t count) {
    Received(count);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return Received(0);
}

void ClientTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = std::make_unique<ScratchFolder>(std::string(info->test_suite_name()) + "_" + info->name());
    std::filesystem::copy(BuiltProgram("game") / "data", folder->path() / "data",
                          std::filesystem::copy_options::recursive);
    cwd = std::make_unique<WorkingDirectory>(folder->path());
    std::filesystem::remove("data/velm_ip.txt");  // each test says where its servers are
    std::filesystem::remove("data/velmfile_ip.txt");
    boxes = std::make_unique<MessageBoxCapture>();
    StartDeviceAndKeyboard();
}

void ClientTest::StartDeviceAndKeyboard() {
    device = DXG::InitRecordingForTests();  // a fresh process first
    ASSERT_NE(device, nullptr);
    NetClient::SetPolling({std::chrono::milliseconds(2), std::chrono::milliseconds(5)});
    KeyboardStateManager::SetSource(&keys);
    ASSERT_TRUE(KeyboardStateManager::Init(nullptr, &keys, false));
    ClearLog(errorLog);
}

void ClientTest::TearDown() {
    ResetProcessState();
    KeyboardStateManager::SetSource(nullptr);
    boxes.reset();
    cwd.reset();
    folder.reset();
}

std::vector<std::string> ClientTest::TakeMessages() {
    std::vector<std::string> messages;
    for (std::string text; NextTransferMessage(text);) messages.push_back(text);
    return messages;
}

void ClientTest::WriteProfile(const std::string& file, const std::string& name) {
    WriteTextFile(file, "V1.6\nName=" + name + "\nPassword=pw\nColors=0123456789\nDesc=A cat\nSpec=37\n");
}

void Batch(const std::string& bytes) {
    HandleServerBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void LogInWithoutConnection() {
    Batch("END\n");
    Batch("&&&&&&&&&&&&&\n");
}

std::string Xy(int x, int y) {
    return encodeBase95(x, true) + encodeBase95(y, true);
}
