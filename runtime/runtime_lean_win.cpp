// Two pieces of the C++ runtime in brenkrun's own, smaller form.
//
// The runtime's guard of a function's static variables waits through the
// POSIX thread library, and its operator new throws when memory runs out;
// the two brought that library and the whole exception machinery into
// brenkrun, about 40 KB of its 137. brenkrun is built without exceptions, so
// nothing could catch a failed allocation, which ended the program: here
// it ends it directly. The nothrow forms answer null as before.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

void* Allocate(std::size_t size) noexcept {
    return std::malloc(size != 0 ? size : 1);
}

// The guard's first byte tells the compiled code that the variable is made;
// the second is taken by the one thread that makes it.
std::atomic_ref<char> MadeByte(int64_t* guard) {
    return std::atomic_ref<char>(reinterpret_cast<char*>(guard)[0]);
}
std::atomic_ref<char> MakingByte(int64_t* guard) {
    return std::atomic_ref<char>(reinterpret_cast<char*>(guard)[1]);
}

} // namespace

// 1: the caller makes the variable; 0: it is made already. Another thread
// that is making it is waited for.
extern "C" int __cxa_guard_acquire(int64_t* guard) {
    for (;;) {
        if (MadeByte(guard).load(std::memory_order_acquire)) return 0;
        char idle = 0;
        if (MakingByte(guard).compare_exchange_strong(idle, 1, std::memory_order_acquire))
            return 1;
        SwitchToThread();
    }
}

extern "C" void __cxa_guard_release(int64_t* guard) {
    MadeByte(guard).store(1, std::memory_order_release);
}

extern "C" void __cxa_guard_abort(int64_t* guard) {
    MakingByte(guard).store(0, std::memory_order_release);
}

void* operator new(std::size_t size) {
    void* memory = Allocate(size);
    if (!memory) std::abort();
    return memory;
}

void* operator new[](std::size_t size) {
    return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
