// spawn_children <count> <MB> [hold_ms] [leave] [linger_ms]: holds <MB> MB
// (default 64) itself and starts <count> (default 2) copies of grow_memory.exe
// from its own folder, each holding <MB> MB. Without [hold_ms] the children
// start at once and hold until killed, and so does the parent. With it they
// start one after another as a build's compilers do, each holding for hold_ms
// ms and waited for, and then the parent ends, [linger_ms] (default 0) after
// the last child, holding every child's handle until then, so that an ended
// child can still be opened by its number. [leave] 1: the children ask to
// leave the parent's job. Further arguments are passed on to the children, so
// a token finds them too. Exits with code 1 when a child cannot be started or
// the memory cannot be had.
#include <windows.h>

#include <string>

#include "held_memory.h"
#include "program_args.h"

int main(int argc, char** argv) {
    const long long count = NumberArgument(argc, argv, 1, 2);
    const long long megabytes = NumberArgument(argc, argv, 2, 64);
    const long long hold = NumberArgument(argc, argv, 3, -1);
    const DWORD leave = NumberArgument(argc, argv, 4, 0) == 1 ? CREATE_BREAKAWAY_FROM_JOB : 0;
    const long long linger = NumberArgument(argc, argv, 5, 0);
    const SIZE_T size = static_cast<SIZE_T>(megabytes) << 20;
    if (!HoldMemory(size)) return 1;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder = self;
    folder.erase(folder.rfind('\\') + 1);
    std::string rest;
    for (int i = 3; i < argc; ++i)
        rest += std::string(" ") + argv[i];
    for (long long i = 0; i < count; ++i) {
        std::string command = "\"" + folder + "grow_memory.exe\" " + std::to_string(megabytes) +
                              " " + std::to_string(hold < 0 ? -1 : hold) + rest;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, leave, nullptr,
                            nullptr, &startup, &started))
            return 1;
        if (hold >= 0) WaitForSingleObject(started.hProcess, INFINITE);
        CloseHandle(started.hThread);
        // Kept until the parent ends; there are few.
        if (linger <= 0) CloseHandle(started.hProcess);
    }
    if (hold < 0) Sleep(INFINITE);
    if (linger > 0) Sleep(static_cast<DWORD>(linger));
    return 0;
}
