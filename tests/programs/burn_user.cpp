// burn_user <ms> [threads]: keeps [threads] processors (default 1) busy in
// user mode for <ms> milliseconds of wall-clock time (default 1000), then
// exits with code 0.
#include <windows.h>

#include <cstdint>

#include "program_args.h"

namespace {

ULONGLONG end = 0;

DWORD WINAPI Burn(void*) {
    volatile uint64_t state = 1;
    while (GetTickCount64() < end) {
        // Arithmetic only: nothing in the loop enters the kernel apart from
        // the clock read, which is itself a user-mode read on both platforms.
        for (int i = 0; i < 100000; ++i)
            state = state * 6364136223846793005ull + 1442695040888963407ull;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    end = GetTickCount64() + NumberArgument(argc, argv, 1, 1000);
    const long long threads = NumberArgument(argc, argv, 2, 1);
    for (long long i = 1; i < threads && i < 64; ++i)
        CloseHandle(CreateThread(nullptr, 0, Burn, nullptr, 0, nullptr));
    Burn(nullptr);
    // The other threads end with the process.
    return 0;
}
