// spawn_children <count> <MB>: holds <MB> MB (default 64) itself and starts
// <count> (default 2) copies of grow_memory.exe from its own folder, each
// holding <MB> MB until killed, then sleeps until killed itself. Further arguments are passed
// on to the children, so a token finds them too. Exits with code 1 when a
// child cannot be started or the memory cannot be had.
#include <windows.h>

#include <string>

#include "held_memory.h"
#include "program_args.h"

int main(int argc, char** argv) {
    const long long count = NumberArgument(argc, argv, 1, 2);
    const long long megabytes = NumberArgument(argc, argv, 2, 64);
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
                              " -1" + rest;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &started))
            return 1;
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    Sleep(INFINITE);
    return 0;
}
