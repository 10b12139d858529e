// The process-wide recursive lock taken around every socket call, always before any instance lock.
#pragma once

#include <mutex>

extern std::recursive_mutex networkLock;
