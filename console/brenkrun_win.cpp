// brenkrun: runs a program (or watches a running process) from a console
// and reports its processor time and memory when it has ended.
#include <windows.h>

#include <atomic>
#include <vector>

#include "console/command_line.h"
#include "console/run_launch_win.h"
#include "console/run_observe_win.h"
#include "console/run_options.h"
#include "console/run_plot_win.h"
#include "console/run_report.h"
#include "monitor/language.h"
#include "monitor/reading_log.h"
#include "monitor/summary.h"
#include "monitor/system_info.h"
#include "services/settings.h"

namespace {

// Ends the wait of a --pid watch; set by Ctrl+C or Ctrl+Break, which the
// system hands to a thread of its own.
std::atomic<HANDLE> stopWatching{nullptr};

// Ctrl+C and Ctrl+Break reach the program, which shares the console, and
// decides for itself; brenkrun stays to report its end. A watch by --pid
// ends instead: the process is not ours.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (const HANDLE stop = stopWatching.load()) SetEvent(stop);
    return TRUE;
}

// Text to a console in its own characters (the texts are in the ANSI code
// page, German ones too); to a file or pipe as the bytes they are.
void WriteTo(DWORD which, std::string_view text) {
    const HANDLE handle = GetStdHandle(which);
    if (!handle || handle == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const int size = static_cast<int>(text.size());
        std::vector<wchar_t> wide(text.size());
        const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), size);
        if (count > 0 && WriteConsoleW(handle, wide.data(), static_cast<DWORD>(count), &written,
                                       nullptr))
            return;
    }
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

int32_t Fail(int32_t status, std::string_view line, bool usage = false) {
    Text text(line);
    AppendText(text, "\r\n");
    if (usage) {
        AppendText(text, UsageLine());
        AppendText(text, "\r\n");
    }
    WriteTo(STD_ERROR_HANDLE, text);
    return status;
}

// English, unless a Brenk.ini here says Language=0 as the window reads it.
int8_t ReportLanguage() {
    int8_t language = English;
    if (OpenSettingsFile("Brenk.ini")) {
        SelectSettingsGroup("Global");
        if (FindSettingsValue("Language"))
            language = SettingValue(ReadSettingsNumber("Language", English), English);
        CloseSettingsFile();
    }
    return language;
}

using ProcessorCountFunction = DWORD(WINAPI*)(WORD);

int32_t CountProcessors() {
    const auto allGroups = reinterpret_cast<ProcessorCountFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetActiveProcessorCount")));
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return MachineProcessors(allGroups ? allGroups(ALL_PROCESSOR_GROUPS) : 0,
                             system.dwNumberOfProcessors);
}

bool WriteFileText(const Text& path, const Text& text) {
    OwnedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.valid() &&
           WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// The reports and the log's last line, once the run is over.
int32_t Report(const RunOptions& options, int8_t language, ConsoleRun& run, RunLog* log) {
    if (log) {
        SummaryFigures figures;
        figures.ended = run.ExitKnown;
        figures.runMs = run.RunMs;
        figures.processor100ns = run.Facts.ProcessorTime;
        figures.exitCode = run.Facts.ExitCode;
        figures.peakWorkingSet = run.Facts.PeakWorkingSet;
        log->Write(SummaryLogLine(language, figures));
        if (log->Failed()) Fail(0, "brenkrun: the log " + options.LogFile + " could not be written to its end");
    }
    const bool jsonToError = options.JsonFile == "-";
    if (!options.Quiet && !jsonToError) WriteTo(STD_ERROR_HANDLE, RunReportText(language, run));
    if (jsonToError)
        WriteTo(STD_ERROR_HANDLE, RunReportJson(run));
    else if (!options.JsonFile.empty() && !WriteFileText(options.JsonFile, RunReportJson(run)))
        Fail(0, "brenkrun: the JSON report could not be written to " + options.JsonFile);
    // Watching stopped by Ctrl+C ends as a console program ended by it.
    return run.ExitKnown ? static_cast<int32_t>(run.Facts.ExitCode)
                         : static_cast<int32_t>(STATUS_CONTROL_C_EXIT);
}

int32_t Run(const RunOptions& options) {
    const int8_t language = ReportLanguage();
    ConsoleRun run;
    run.Processors = CountProcessors();
    run.Children = options.Children;
    OwnedHandle process;
    OwnedHandle stop; // ends a watch by --pid
    Started started;
    if (options.WatchedId != 0) {
        process = OpenWatched(options.WatchedId, &run.Program);
        if (!process.valid())
            return Fail(ExitNotFound, "brenkrun: no process " +
                                          IntegerToText(options.WatchedId) + " to watch");
        run.Command = run.Program;
    } else {
        run.Program = FindProgram(options.Command.front());
        if (run.Program.empty())
            return Fail(ExitNotFound, "brenkrun: " + options.Command.front() + ": not found");
        run.Arguments.assign(options.Command.begin() + 1, options.Command.end());
        run.Command = ComposeCommand(options.Command);
    }

    RunLog log;
    RunLog* logUsed = nullptr;
    if (!options.LogFile.empty()) {
        if (log.Open(options.LogFile))
            logUsed = &log;
        else
            Fail(0, "brenkrun: the log " + options.LogFile + " cannot be written; no log");
    }

    ObserveSetup setup;
    setup.IntervalMs = options.IntervalMs;
    setup.CpuScale = options.CpuScale;
    setup.Processors = run.Processors;
    setup.Log = logUsed;
    setup.StartTick = GetTickCount64();
    if (options.WatchedId == 0) {
        started = StartProgram(run.Program, run.Command, options.Children);
        if (!started.Process.valid())
            return Fail(ExitNotStarted, "brenkrun: " + run.Program + ": could not be started (error " +
                                            IntegerToText(started.Error) + ")");
        process = std::move(started.Process);
    } else {
        setup.Launched = false;
        stop.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        setup.Stop = stop.get();
        stopWatching.store(stop.get());
    }
    if (logUsed) logUsed->Write(LogStartLine(language, run.Command));

    RunRecord record;
    record.Begin(setup.StartTick, options.CpuScale, options.IntervalMs);
    RunWatch watch(process.get(), started.Job.get());
    Observed observed = Observe(record, watch, setup);
    run.ExitKnown = observed.Ended;
    if (observed.Ended) {
        ReadAfterEnd(record, watch, observed);
        DWORD code = 0;
        GetExitCodeProcess(process.get(), &code);
        record.Finish(code);
    }
    run.Facts = record.Facts();
    run.RunMs = observed.EndTick - setup.StartTick;
    run.ProcessorBefore100ns = observed.Before;
    run.User100ns = observed.Times.User;
    run.Kernel100ns = observed.Times.Kernel;
    run.Processes = watch.Processes();
    stopWatching.store(nullptr);
    const int32_t status = Report(options, language, run, logUsed);
    // The status stays the program's: the graph is an extra, as the reports are.
    if (!options.PlotFile.empty() &&
        !WritePlot(options.PlotFile, record, language, options.PlotWidth, options.PlotHeight))
        Fail(0, "brenkrun: the graph could not be written to " + options.PlotFile);
    return status;
}

} // namespace

int main(int argc, char** argv) {
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
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    return Run(options);
}
