// Per-thread state of the services (settings reader, event state, ...): each
// thread gets its own object of a kind on first use; the object is destroyed
// when that thread ends, or earlier by ReleaseThreadStates on the thread
// itself (the main thread at shut-down). Each such object holds a
// PerThreadStateCount member so that tests can prove that ended threads leave
// nothing behind.
//
// Use PerThreadState<T> rather than a thread_local object with a destructor:
// with the static MinGW runtime such an object's storage is freed before its
// destructor runs on threads made by CreateThread.
#pragma once

#include <cstdint>
#include <cstdlib>

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

using ThreadStateDestroy = void (*)(void* state);

// Registers a kind of per-thread state, destroyed with destroy; the kind's
// number, or -1 when all ThreadStateKinds kinds are taken.
constexpr int32_t ThreadStateKinds = 16;
int32_t RegisterThreadStateKind(ThreadStateDestroy destroy);

// The calling thread's state of the kind, or null when it has none yet.
void* ThreadStateOf(int32_t kind);

// Hands state (null allowed) to the calling thread as its state of the kind;
// false when the kind is unknown or no room could be had (state is then
// destroyed at once).
bool SetThreadState(int32_t kind, void* state);

// Destroys every state of the calling thread now, newest kind first.
void ReleaseThreadStates();

// One T per thread, made on the thread's first get(). A PerThreadState object
// itself should live for the whole process (a static).
template <typename T> class PerThreadState {
  public:
    PerThreadState() : kind_(RegisterThreadStateKind(&Destroy)) {}
    PerThreadState(const PerThreadState&) = delete;
    PerThreadState& operator=(const PerThreadState&) = delete;

    // The calling thread's object. Fails only when memory runs out or more
    // kinds are registered than there is room for; both end the process.
    T& get() {
        if (void* state = ThreadStateOf(kind_)) return *static_cast<T*>(state);
        T* state = new T();
        if (!SetThreadState(kind_, state)) std::abort();
        return *state;
    }

  private:
    static void Destroy(void* state) { delete static_cast<T*>(state); }
    int32_t kind_;
};
