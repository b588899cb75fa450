// grow_memory <MB> [hold_ms] [burn_ms]: commits and touches <MB> megabytes
// (default 64), uses [burn_ms] milliseconds of processor time (default none:
// the same however busy the machine is), then holds the memory for [hold_ms]
// milliseconds, or until killed when absent. Exits with code 1 when the
// memory cannot be had.
#include <windows.h>

#include <cstdint>

#include "held_memory.h"
#include "program_args.h"

int main(int argc, char** argv) {
    const SIZE_T size = static_cast<SIZE_T>(NumberArgument(argc, argv, 1, 64)) << 20;
    const long long hold = NumberArgument(argc, argv, 2, -1);
    const long long burn = NumberArgument(argc, argv, 3, 0);
    if (!HoldMemory(size)) return 1;
    const uint64_t used = static_cast<uint64_t>(burn > 0 ? burn : 0) * 10000; // 100 ns
    volatile uint64_t state = 1;
    for (;;) {
        FILETIME created, ended, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
        const auto time = [](const FILETIME& t) {
            return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        if (time(kernel) + time(user) >= used) break;
        for (int i = 0; i < 100000; ++i)
            state = state * 6364136223846793005ull + 1442695040888963407ull;
    }
    Sleep(hold < 0 ? INFINITE : static_cast<DWORD>(hold));
    return 0;
}
