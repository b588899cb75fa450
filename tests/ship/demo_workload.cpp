// demo_workload <burn_ms> <grow_mb> <hold_ms>: a program worth watching. For
// <burn_ms> ms (default 5000) it keeps one processor busy in user mode while
// its working set grows evenly to <grow_mb> MB (default 32); then it sleeps
// for <hold_ms> ms (default 0), or until killed when <hold_ms> is negative,
// and exits with code 0. Extra arguments are ignored (a token for /proc).
#include <windows.h>

#include <cstdint>

#include "tests/programs/program_args.h"

int main(int argc, char** argv) {
    const long long burn = NumberArgument(argc, argv, 1, 5000);
    const SIZE_T size = static_cast<SIZE_T>(NumberArgument(argc, argv, 2, 32)) << 20;
    const long long hold = NumberArgument(argc, argv, 3, 0);
    auto* block = static_cast<volatile char*>(
        size ? VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : nullptr);
    if (size && !block) return 1;
    const ULONGLONG start = GetTickCount64();
    SIZE_T touched = 0;
    volatile uint64_t state = 1;
    for (;;) {
        const ULONGLONG elapsed = GetTickCount64() - start;
        // Writing a page brings it into the working set; touch the share of
        // the block that the elapsed share of the burn time calls for.
        const SIZE_T due = burn > 0 && static_cast<long long>(elapsed) < burn
                               ? static_cast<SIZE_T>(size * (elapsed / static_cast<double>(burn)))
                               : size;
        for (; touched < due; touched += 4096)
            block[touched] = 1;
        if (static_cast<long long>(elapsed) >= burn) break;
        for (int i = 0; i < 100000; ++i)
            state = state * 6364136223846793005ull + 1442695040888963407ull;
    }
    Sleep(hold < 0 ? INFINITE : static_cast<DWORD>(hold));
    return 0;
}
