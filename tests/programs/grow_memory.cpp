// grow_memory <MB> [hold_ms]: commits and touches <MB> megabytes (default 64),
// then holds them for [hold_ms] milliseconds, or until killed when absent.
// Exits with code 1 when the memory cannot be had.
#include <windows.h>

#include "held_memory.h"
#include "program_args.h"

int main(int argc, char** argv) {
    const SIZE_T size = static_cast<SIZE_T>(NumberArgument(argc, argv, 1, 64)) << 20;
    const long long hold = NumberArgument(argc, argv, 2, -1);
    if (!HoldMemory(size)) return 1;
    Sleep(hold < 0 ? INFINITE : static_cast<DWORD>(hold));
    return 0;
}
