// grow_memory <MB> [hold_ms]: commits and touches <MB> megabytes (default 64),
// then holds them for [hold_ms] milliseconds, or until killed when absent.
// Exits with code 1 when the memory cannot be had.
#include <windows.h>

#include "program_args.h"

int main(int argc, char** argv) {
    const SIZE_T size = static_cast<SIZE_T>(NumberArgument(argc, argv, 1, 64)) << 20;
    const long long hold = NumberArgument(argc, argv, 2, -1);
    if (size) {
        auto* block = static_cast<volatile char*>(
            VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!block) return 1;
        // Writing every page brings it into the working set.
        for (SIZE_T at = 0; at < size; at += 4096)
            block[at] = 1;
    }
    Sleep(hold < 0 ? INFINITE : static_cast<DWORD>(hold));
    return 0;
}
