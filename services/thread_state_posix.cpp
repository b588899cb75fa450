#include <memory>

#include "services/thread_state_store.h"

namespace {

struct EndOfThread {
    void operator()(ThreadStates* states) const {
        DestroyThreadStates(states);
        delete states;
    }
};

// The C runtime here destroys thread_local objects at thread end with their
// storage intact, so the list can simply live in one.
thread_local std::unique_ptr<ThreadStates, EndOfThread> threadStates;

} // namespace

ThreadStates* CurrentThreadStates(bool create) {
    if (!threadStates && create) threadStates.reset(new ThreadStates);
    return threadStates.get();
}

void ForgetCurrentThreadStates() {
    threadStates.reset();
}
