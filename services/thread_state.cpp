#include "thread_state.h"

#include <atomic>
#include <mutex>
#include <utility>

#include "services/lock.h"
#include "services/thread_state_store.h"

namespace {

std::atomic<int32_t> live{0};

// Kinds are registered once each and never removed. A kind's destroy function
// is written before the count that makes the kind known.
Lock registration;
std::atomic<ThreadStateDestroy> destroys[ThreadStateKinds];
std::atomic<int32_t> kindCount{0};

bool KnownKind(int32_t kind) {
    return kind >= 0 && kind < kindCount.load();
}

} // namespace

int32_t LivePerThreadStates() {
    return live.load();
}

PerThreadStateCount::PerThreadStateCount() {
    ++live;
}

PerThreadStateCount::~PerThreadStateCount() {
    --live;
}

int32_t RegisterThreadStateKind(ThreadStateDestroy destroy) {
    std::lock_guard hold(registration);
    const int32_t kind = kindCount.load();
    if (kind >= ThreadStateKinds || !destroy) return -1;
    destroys[kind].store(destroy);
    kindCount.store(kind + 1);
    return kind;
}

void* ThreadStateOf(int32_t kind) {
    if (!KnownKind(kind)) return nullptr;
    ThreadStates* states = CurrentThreadStates(false);
    if (!states || static_cast<size_t>(kind) >= states->size()) return nullptr;
    return (*states)[static_cast<size_t>(kind)];
}

bool SetThreadState(int32_t kind, void* state) {
    if (!KnownKind(kind)) return false;
    ThreadStates* states = CurrentThreadStates(true);
    const auto at = static_cast<size_t>(kind);
    if (states && states->size() <= at) {
        // Room for every kind at once, so the list never grows again.
        states->resize(ThreadStateKinds, nullptr);
    }
    if (!states || states->size() <= at) {
        if (state) destroys[kind].load()(state);
        return false;
    }
    void* previous = (*states)[at];
    (*states)[at] = state;
    if (previous && previous != state) destroys[kind].load()(previous);
    return true;
}

void DestroyThreadStates(ThreadStates* states) {
    if (!states) return;
    for (size_t kind = states->size(); kind-- > 0;) {
        // Taken out first: a destructor that asks for its own kind again must
        // not find the object being destroyed.
        void* state = std::exchange((*states)[kind], nullptr);
        if (state) destroys[kind].load()(state);
    }
}

void ReleaseThreadStates() {
    ThreadStates* states = CurrentThreadStates(false);
    DestroyThreadStates(states);
    ForgetCurrentThreadStates();
}
