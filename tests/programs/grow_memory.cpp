// grow_memory <MB> [hold_ms] [burn_ms]: commits and touches <MB> megabytes
// (default 64), keeps one processor busy in user mode for [burn_ms]
// milliseconds (default none), then holds the memory for [hold_ms]
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
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(burn > 0 ? burn : 0);
    volatile uint64_t state = 1;
    while (GetTickCount64() < end)
        for (int i = 0; i < 100000; ++i)
            state = state * 6364136223846793005ull + 1442695040888963407ull;
    Sleep(hold < 0 ? INFINITE : static_cast<DWORD>(hold));
    return 0;
}
