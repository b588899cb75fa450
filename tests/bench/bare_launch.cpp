// bare_launch [--times N] PROGRAM [ARGUMENTS...]: the least a console
// launcher does: starts the program with the rest of its own command line,
// waits for its end and exits with its exit code; with --times, N times one
// after another, each waited for, exiting with the last one's code. The
// yardstick for brenkrun's own cost, of one run and of each of --runs.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

// The command line's next word, and the blanks after it.
const char* SkipWord(const char* line) {
    bool quoted = false;
    while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
        if (*line == '"') quoted = !quoted;
        ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

} // namespace

int main() {
    // The command line after this program's own name, as it was written.
    const char* line = SkipWord(GetCommandLineA());
    long times = 1;
    if (std::strncmp(line, "--times ", 8) == 0) {
        line = SkipWord(line);
        times = std::strtol(line, nullptr, 10);
        line = SkipWord(line);
    }
    DWORD code = 0;
    for (long run = 0; run < times; ++run) {
        char command[32768];
        lstrcpynA(command, line, sizeof command);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &process))
            return 127;
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return static_cast<int>(code);
}
