#include "thread_state.h"

#include <atomic>

namespace {
std::atomic<int32_t> live{0};
}

int32_t LivePerThreadStates() { return live.load(); }

PerThreadStateCount::PerThreadStateCount() { ++live; }

PerThreadStateCount::~PerThreadStateCount() { --live; }
