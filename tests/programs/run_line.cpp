// run_line <file>: starts the command line held in file (UTF-8) with this
// console's standard handles, waits for it and exits with its exit code (125
// when the file cannot be read or nothing starts). Wine hands a program the
// command line it is started with through the locale's code page, which
// without a locale loses every character beyond ASCII; this keeps them.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) return 125;
    FILE* in = std::fopen(argv[1], "rb");
    if (!in) return 125;
    std::string line;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        line.append(buffer, got);
    std::fclose(in);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    std::wstring wide(line.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(
        CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(),
        static_cast<int>(wide.size()))));
    wide.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &started))
        return 125;
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD code = 125;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return static_cast<int>(code);
}
