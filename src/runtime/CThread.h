// A named worker thread that is ended cooperatively: the destructor raises terminateRequested and
// waits until the procedure, which polls the flag, has returned.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// How a CThread's destructor waits for the procedure to return: it wakes as soon as the procedure ends, or
// after each step, and warns once at the warning pass (600 x 25 ms: about fifteen seconds).
struct CThreadStopPacing {
    std::chrono::milliseconds step{25};
    int warningPass = 600;
};

class CThread {
public:
    using Procedure = void (*)(CThread* owner, void* parameter);

    using StopPacing = CThreadStopPacing;

    // Starts the thread. The procedure runs only after this object holds its handle.
    CThread(Procedure procedure, const char* name, void* parameter, StopPacing pacing = StopPacing());
    // Requests termination and waits without limit; warns once if the thread is still going after the
    // warning pass (about 15 s).
    virtual ~CThread();

    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // POSIX threads cannot be stopped from outside: Suspend and Resume keep the suspend count and return
    // the previous one (-1 without a thread); only a thread that has not started yet is held back by it.
    int Suspend();
    int Resume();
    // Windows-style priority (-15, -2..2, 15) mapped onto the thread's nice value. True on success.
    bool SetPriority(int priority);

    bool Running() const { return m_running.load(); }

    std::atomic<bool> terminateRequested{false};

private:
    struct ParamData;
    static void StartRoutine(ParamData* data);

    std::thread m_thread;
    std::atomic<bool> m_running{false};  // the "handle": set before the procedure runs, cleared after it
    std::atomic<int> m_suspendCount{0};
    std::atomic<int> m_nativeThreadId{0};
    std::string m_name;
    StopPacing m_pacing;
    std::mutex m_endLock;             // guards the procedure's end against the destructor's wait
    std::condition_variable m_ended;  // told when m_running turns false
};
