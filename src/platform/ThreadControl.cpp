// Thread ids and per-thread nice values on Linux.
#include "platform/ThreadControl.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

int CurrentThreadId() {
    return static_cast<int>(syscall(SYS_gettid));
}

bool SetThreadNiceValue(int threadId, int nice) {
    return threadId > 0 && setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), nice) == 0;
}
