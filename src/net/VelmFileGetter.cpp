// VELM::FileGetter: construction (address file, connect, folders, output file), the download thread's
// passes, and destruction.
#include "net/VelmFileGetter.h"

#include <sstream>
#include <thread>
#include <vector>

#include "data/PlayerProfile.h"
#include "net/VelmDataManager.h"
#include "platform/NativePath.h"
#include "runtime/CThread.h"
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"
#include "runtime/NetworkLock.h"
#include "runtime/ProcessState.h"
#include "runtime/Utilities.h"

namespace VELM {

namespace {
std::atomic<int> gPassIntervalMs{int(FileGetter::kPassInterval.count())};
const bool kRegistered = RegisterProcessState(
    "file getter pacing", [] { FileGetter::SetPassInterval(FileGetter::kPassInterval); }, kNetState);

// Reads the host word and the port number of the address file; both keep their values when it cannot.
void ReadFileServerAddress(std::string& host, int& port) {
    std::FILE* file = OpenFile("data\\velmfile_ip.txt", "rb");
    if (file == nullptr) {
        errorLog.Write("Failed to load velm's file-server ip and port from \\data\\velmfile_ip.txt file.\n");
        return;
    }
    char text[1024];
    const std::size_t length = std::fread(text, 1, sizeof text, file);
    std::fclose(file);
    std::istringstream in(std::string(text, length));
    std::string word;
    if (!(in >> word)) return;
    host = word;
    int number = 0;
    if (in >> number) port = number;
}

// The id in a form that is safe to write into a log line.
std::string Printable(const std::string& id) {
    std::string text;
    for (unsigned char c : id.substr(0, 200)) text += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
    return text;
}
}  // namespace

void FileGetter::SetPassInterval(std::chrono::milliseconds interval) {
    gPassIntervalMs = static_cast<int>(interval.count());
}

bool FileGetter::IsSafeDreamId(const std::string& id) {
    if (id.empty() || id.find("..") != std::string::npos) return false;
    for (unsigned char c : id) {
        if (c < 32 || c == 127 || c == '/' || c == '\\' || c == ':') return false;
    }
    return true;
}

FileGetter::FileGetter(const std::string& id, const std::string& folder)
    : m_stream(
          id, GetPlayerProfile().name, GetPlayerProfile().password,
          [this](const std::string& message) { SendMessage(message); }, nullptr) {
    if (!IsSafeDreamId(id)) {
        // The id comes from the server and would become part of a path: nothing is created for it.
        errorLog.Write("Refused to download a dream whose id cannot name a file: \"" + Printable(id) +
                       "\"\n");
        PostTransferMessage("> FAILED");
        m_stream.Fail();
    } else {
        std::string host = "Failed to load";
        int port = 0;
        ReadFileServerAddress(host, port);
        if (!m_connection.Connect(host, port)) {
            errorLog.Write("Failed to connect to velm file server.\n");
            m_stream.MarkFinished();
        }
        const std::string path = folder + "\\" + id + ".dream";
        CreateFoldersOfPath(path);
        m_output = OpenFile(path, "wb");
        if (m_output == nullptr) {
            errorLog.Write("Failed to open output file, to download dream into.\n");
            m_stream.MarkFinished();
        }
        m_stream.SetOutput(m_output);
    }
    m_thread = track(new CThread(ThreadProcedure, "VelmFileGetter", this),
                     "CThread(ThreadProcedure,\"VelmFileGetter\",this)", VELM_SITE);
}

FileGetter::~FileGetter() {
    if (m_thread != nullptr) trackedDelete(m_thread, VELM_SITE);
    m_thread = nullptr;
    if (m_output != nullptr) std::fclose(m_output);
    m_output = nullptr;
}

// Sends only while connected, deciding under the network lock so that the receive thread cannot close the
// connection between the test and the send; after the peer has closed there is nobody to acknowledge.
void FileGetter::SendMessage(const std::string& message) {
    std::lock_guard<std::recursive_mutex> network(networkLock);
    if (m_connection.IsConnected()) m_connection.SendData(message.data(), static_cast<int>(message.size()));
}

void FileGetter::ThreadProcedure(CThread* owner, void* parameter) {
    auto* getter = static_cast<FileGetter*>(parameter);
    if (owner->terminateRequested) return;
    while (getter->Pass()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(gPassIntervalMs.load()));
        if (owner->terminateRequested) return;
    }
}

// One pass: take what the connection received, then at most one step of the exchange. Bytes that arrived
// before the server closed are still worked through, one step per pass, before the loss counts.
bool FileGetter::Pass() {
    const bool connected = m_connection.IsConnected();
    if (!connected && m_stream.Finished()) return false;
    if (m_stream.Finished()) return true;  // waiting for the file server to close
    const std::uint32_t waiting = connected ? m_connection.PendingBytes() : m_connection.BufferedBytes();
    if (waiting != 0 && m_stream.Buffered() < kStreamBufferLimit) {
        std::vector<std::uint8_t> bytes;
        if (m_connection.ReceiveData(bytes)) m_stream.Append(bytes.data(), bytes.size());
    }
    const bool stepped = m_stream.Step();
    if (!connected && !stepped && !m_stream.Finished()) {
        errorLog.Write("warning: file download ended early: " + m_stream.Id() + "\n");
        PostTransferMessage("> CONNECTION SEVERED");
        m_stream.Fail();
        return false;
    }
    return true;
}

}  // namespace VELM
