// brenkrun: runs a program (or watches a running process) from a console
// and reports its processor time and memory when it has ended.
#include <windows.h>

#include <atomic>
#include <vector>

#include "console/console_out_win.h"
#include "console/run_options.h"
#include "console/run_win.h"
#include "console/runs_win.h"
#include "services/encoding.h"
#include "services/owned_handle.h"

namespace {

// Ends the wait of a --pid watch, and the runs of --runs after the one under
// way; set by Ctrl+C or Ctrl+Break, which the system hands to a thread of its own.
std::atomic<HANDLE> stopWatching{nullptr};

// Ctrl+C and Ctrl+Break reach the program, which shares the console, and
// decides for itself; brenkrun stays to report its end. A watch by --pid
// ends instead: the process is not ours.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (const HANDLE stop = stopWatching.load()) SetEvent(stop);
    return TRUE;
}

} // namespace

int main(int argc, char** argv) {
    SetProcessTextUtf8(GetACP() == CP_UTF8);
    std::vector<Text> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    RunOptions options;
    const Text problem = ParseRunOptions(arguments, options);
    if (!problem.empty()) return Fail(ExitUsage, problem, true);
    if (options.Help) {
        WriteTo(STD_OUTPUT_HANDLE, HelpText());
        return 0;
    }
    if (options.Version) {
        WriteTo(STD_OUTPUT_HANDLE, "brenkrun 0.1b\r\n");
        return 0;
    }
    if (const Text clash = SharedOutputProblem(options, &FullFileName); !clash.empty())
        return Fail(ExitUsage, clash, true);
    const OwnedHandle stop(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    stopWatching.store(stop.get());
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    const int32_t status =
        options.Runs > 0 ? MeasureRuns(options, stop.get()) : MeasureRun(options, stop.get());
    stopWatching.store(nullptr);
    return status;
}
