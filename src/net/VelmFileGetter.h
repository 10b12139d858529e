// One dream download from the file server: its own connection and thread, one exchange step per pass,
// the payload written to "<folder>\<id>.dream", status texts posted to the transfer message queue.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

#include "net/FileGetterStream.h"
#include "net/NetClient.h"

class CThread;

namespace VELM {

class FileGetter {
public:
    // Connects to the file server of "data\velmfile_ip.txt" and opens the output file; then starts the
    // thread, whatever happened before. A getter that could not start is finished at once.
    FileGetter(const std::string& id, const std::string& folder);
    // Stops the thread, then closes the file and the connection.
    virtual ~FileGetter();

    FileGetter(const FileGetter&) = delete;
    FileGetter& operator=(const FileGetter&) = delete;

    bool IsFinished() const { return m_stream.Finished(); }
    bool IsComplete() const { return m_stream.State() == FileGetterStream::kComplete; }
    void GetProgress(int& written, int& total) const {
        written = m_stream.BytesWritten();
        total = m_stream.FileSize();
    }

    // False for an id that cannot safely name a file and a folder: empty, holding a path separator, a
    // colon, "..", or a control character.
    static bool IsSafeDreamId(const std::string& id);

    // The stream buffer is not refilled from the connection while it holds this much.
    static constexpr std::size_t kStreamBufferLimit = 4u << 20;

    // The pause after each pass: process-wide, back to kPassInterval at the process-state reset.
    static constexpr std::chrono::milliseconds kPassInterval{25};
    static void SetPassInterval(std::chrono::milliseconds interval);

private:
    static void ThreadProcedure(CThread* owner, void* parameter);
    bool Pass();  // false when the procedure should return
    void SendMessage(const std::string& message);

    CThread* m_thread = nullptr;
    NetClient m_connection;
    FileGetterStream m_stream;
    std::FILE* m_output = nullptr;
};

}  // namespace VELM
