// Per-thread state of the services (settings reader, event state, ...) lives in
// thread_local objects, created on a thread's first use and destroyed when the
// thread ends. Each such object holds a PerThreadStateCount member so that tests
// can prove that ended threads leave nothing behind.
#pragma once

#include <cstdint>

// Number of per-thread state objects alive in the whole process.
int32_t LivePerThreadStates();

// Counts itself alive from construction to destruction.
class PerThreadStateCount {
  public:
    PerThreadStateCount();
    ~PerThreadStateCount();
    PerThreadStateCount(const PerThreadStateCount&) = delete;
    PerThreadStateCount& operator=(const PerThreadStateCount&) = delete;
};
