// CThread: the thread waits at a start gate until its owner has stored the handle, runs the procedure,
// and marks itself ended; the owner's destructor polls for that end and then joins.
#include "runtime/CThread.h"

#include <system_error>

#include "platform/ThreadControl.h"
#include "runtime/CallStack.h"
#include "runtime/Faults.h"
#include "runtime/LogFile.h"
#include "runtime/MemoryTracker.h"

namespace {

// Windows thread priorities to nice values.
int NiceValueOf(int priority) {
    if (priority <= -15) return 19;
    if (priority >= 15) return -20;
    switch (priority) {
    case -2: return 10;
    case -1: return 5;
    case 1: return -5;
    case 2: return -10;
    default: return 0;
    }
}
}  // namespace

struct CThread::ParamData {
    CThread* owner;
    Procedure procedure;
    void* parameter;
};

CThread::CThread(Procedure procedure, const char* name, void* parameter, StopPacing pacing)
    : m_name(name != nullptr ? name : ""), m_pacing(pacing) {
    auto* data = track(new ParamData{this, procedure, parameter}, "ParamData", VELM_SITE);
    m_suspendCount = 1;  // created suspended
    try {
        if (TakeFault(Fault::ThreadCreation)) {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        m_thread = std::thread(&CThread::StartRoutine, data);
        m_running = true;
    } catch (const std::system_error&) {
        errorLog.Write("CreateThread failed...?!?!\nCall stack:\n");
        errorLog.Write(GetCallStack());
        errorLog.Write("\n");
        trackedDelete(data, VELM_SITE);
        return;
    }
    Resume();
}

void CThread::StartRoutine(ParamData* data) {
    CThread* owner = data->owner;
    for (int count = owner->m_suspendCount.load(); count > 0; count = owner->m_suspendCount.load()) {
        owner->m_suspendCount.wait(count);
    }
    owner->m_nativeThreadId = CurrentThreadId();
    try {
        data->procedure(owner, data->parameter);
    } catch (...) {
        errorLog.Write("Error: thread \"" + owner->m_name + "\" ended with an exception.\n");
    }
    trackedDelete(data, VELM_SITE);
    {
        std::lock_guard<std::mutex> lock(owner->m_endLock);
        owner->m_running = false;
    }
    // The owner's destructor joins this thread before its members go, so the owner is still alive here.
    owner->m_ended.notify_all();
}

CThread::~CThread() {
    for (int pass = 1; m_running; ++pass) {
        terminateRequested = true;
        m_suspendCount = 0;
        m_suspendCount.notify_all();
        std::unique_lock<std::mutex> lock(m_endLock);
        if (m_ended.wait_for(lock, m_pacing.step, [this] { return !m_running; })) {
            break;
        }
        lock.unlock();
        if (pass == m_pacing.warningPass) {
            errorLog.Write(
                "Warning: Thread still going ~15 seconds after termination request.  It may be stuck.\n");
            errorLog.Write("  -Thread name: " + m_name + "\n");
            errorLog.Write("Call stack of dtor waiting loop:\n");
            errorLog.Write(GetCallStack());
            errorLog.Write("\n");
        }
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

int CThread::Suspend() {
    if (!m_running) {
        return -1;
    }
    return m_suspendCount.fetch_add(1);
}

int CThread::Resume() {
    if (!m_running) {
        return -1;
    }
    int previous = m_suspendCount.load();
    while (previous > 0 && !m_suspendCount.compare_exchange_weak(previous, previous - 1)) {
    }
    if (previous <= 1) {
        m_suspendCount.notify_all();
    }
    return previous;
}

bool CThread::SetPriority(int priority) {
    return m_running && SetThreadNiceValue(m_nativeThreadId.load(), NiceValueOf(priority));
}
