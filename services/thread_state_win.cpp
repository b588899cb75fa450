#include <windows.h>

#include <new>

#include "services/thread_state_store.h"

namespace {

// Runs on the ending thread, before its handle is signalled, for every thread
// whose slot holds a list; also for a thread's list when its fiber goes.
void NTAPI ThreadEnds(void* value) {
    auto* states = static_cast<ThreadStates*>(value);
    DestroyThreadStates(states);
    delete states;
}

DWORD StatesSlot() {
    // Never freed: freeing the slot would run the callback for every thread's
    // list from whichever thread happened to free it.
    static const DWORD slot = FlsAlloc(ThreadEnds);
    return slot;
}

} // namespace

ThreadStates* CurrentThreadStates(bool create) {
    const DWORD slot = StatesSlot();
    if (slot == FLS_OUT_OF_INDEXES) return nullptr;
    auto* states = static_cast<ThreadStates*>(FlsGetValue(slot));
    if (states || !create) return states;
    states = new (std::nothrow) ThreadStates;
    if (states && !FlsSetValue(slot, states)) {
        delete states;
        states = nullptr;
    }
    return states;
}

void ForgetCurrentThreadStates() {
    const DWORD slot = StatesSlot();
    if (slot == FLS_OUT_OF_INDEXES) return;
    auto* states = static_cast<ThreadStates*>(FlsGetValue(slot));
    // A null value is never handed to the callback.
    FlsSetValue(slot, nullptr);
    delete states;
}
