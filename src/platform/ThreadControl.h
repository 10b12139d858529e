// Per-thread operating-system services that the standard library does not offer.
#pragma once

// The kernel's id of the calling thread.
int CurrentThreadId();

// Sets one thread's nice value (-20 highest .. 19 lowest). True on success.
bool SetThreadNiceValue(int threadId, int nice);
