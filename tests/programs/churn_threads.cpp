// churn_threads <ms>: for <ms> milliseconds of wall-clock time (default 1000)
// starts a thread every 50 ms that keeps one processor busy in user mode for
// 40 ms and ends; then exits with code 0. All its work is done by threads
// that live far shorter than a sampling interval.
#include <windows.h>

#include <cstdint>

#include "program_args.h"

namespace {

constexpr DWORD ThreadEveryMs = 50;
constexpr ULONGLONG BusyMs = 40;

DWORD WINAPI Burn(LPVOID) {
    const ULONGLONG end = GetTickCount64() + BusyMs;
    volatile uint64_t state = 1;
    while (GetTickCount64() < end) {
        for (int i = 0; i < 10000; ++i)
            state = state * 6364136223846793005ull + 1442695040888963407ull;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const ULONGLONG end = GetTickCount64() + NumberArgument(argc, argv, 1, 1000);
    while (GetTickCount64() < end) {
        HANDLE thread = CreateThread(nullptr, 0, Burn, nullptr, 0, nullptr);
        if (thread) CloseHandle(thread);
        Sleep(ThreadEveryMs);
    }
    return 0;
}
