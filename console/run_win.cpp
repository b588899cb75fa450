#include "console/run_win.h"

#include "console/console_out_win.h"
#include "console/run_log_win.h"
#include "console/run_plot_win.h"
#include "console/run_report.h"
#include "measure/log_file_win.h"
#include "measure/reading_log.h"
#include "measure/summary.h"
#include "measure/texts.h"
#include "measure/watch_win.h"
#include "services/command_line.h"
#include "services/files.h"
#include "services/launch.h"
#include "services/launch_errors.h"
#include "services/processors.h"
#include "services/settings.h"

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

namespace {

// The console's hand-over: every pass shown becomes a log row.
struct ConsoleShow {
    const RunRecord& record;
    RunLog* log;

    void Pass(const ShownPass& shown) {
        if (!log) return;
        const RunExtremes extremes = record.Facts().Extremes;
        Readings readings;
        readings.Row[CpuCurrent] = shown.Pass.Load;
        readings.Row[CpuMinimum] = extremes.LoadMinimum;
        readings.Row[CpuMaximum] = extremes.LoadMaximum;
        readings.Row[RamCurrent] = shown.Pass.WorkingSet;
        readings.Row[RamMinimum] = extremes.WorkingSetMinimum;
        readings.Row[RamMaximum] = extremes.WorkingSetMaximum;
        log->Write(LogRowLine(LocalLogTime(), shown.Pass.Ms, readings));
    }
    void Ended() {}
};

// The JSON report into its file, or with "-" on standard error; none without --json.
void WriteJson(const RunOptions& options, const ConsoleRun& run) {
    if (options.JsonFile == "-")
        WriteTo(STD_ERROR_HANDLE, RunReportJson(run));
    else if (!options.JsonFile.empty() && !WriteFileText(options.JsonFile, RunReportJson(run)))
        Fail(0, "brenkrun: the JSON report could not be written to " + options.JsonFile);
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
        figures.io = run.Io; // as the window's log gives them
        log->Write(SummaryLogLine(language, figures));
        if (log->Failed())
            Fail(0, "brenkrun: the log " + options.LogFile + " could not be written to its end");
    }
    if (!options.Quiet && options.JsonFile != "-")
        WriteTo(STD_ERROR_HANDLE, RunReportText(language, run));
    WriteJson(options, run);
    // Watching stopped by Ctrl+C ends as a console program ended by it.
    return run.ExitKnown ? static_cast<int32_t>(run.Facts.ExitCode)
                         : static_cast<int32_t>(STATUS_CONTROL_C_EXIT);
}

// A program that never ran still gets its JSON report, for a script wants
// one every time; the line says why, and the status is brenkrun's own.
int32_t ReportFailure(const RunOptions& options, ConsoleRun& run, int32_t status,
                      const Text& line) {
    Fail(0, line);
    run.Processes = 0;
    run.Facts.IntervalMs = options.IntervalMs;
    run.Facts.CpuScale = options.CpuScale;
    WriteJson(options, run);
    return status;
}

} // namespace

RunFailure StartFailureOf(uint32_t error, const Text& path) {
    // A reason that names the file ("%1 is not a valid Win32 application")
    // names it by its name, not by a placeholder.
    return {true, error, SystemErrorText(error, path.substr(path.find_last_of("\\/") + 1)),
            ProgramBitsOf(path)};
}

int64_t WatchRun(ConsoleRun& run, RunRecord& record, const RunOptions& options, HANDLE process,
                 HANDLE job, HANDLE notices, HANDLE stop, uint64_t startMs, RunLog* log) {
    record.Begin(startMs, options.CpuScale, options.IntervalMs);
    Watch watch(process, job, run.Attached ? stop : nullptr, &GetProcessMemoryInfo);
    watch.TrackProcesses(startMs, notices);
    PassTally tally;
    BeginTally(tally, startMs);
    // The time a watched process used before watching began is no part of
    // the run: every figure covers the same span, from the attach.
    if (run.Attached) AttachTally(tally, watch.Read());
    PassPlan plan;
    plan.IntervalMs = options.IntervalMs;
    plan.CpuScale = options.CpuScale;
    plan.Processors = run.Processors;
    plan.FirstPass = startMs + std::min<uint64_t>(FirstPassMs, options.IntervalMs);
    ConsoleShow show{record, log};
    RunPasses(record, tally, watch, show, plan);
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    run.ExitKnown = tally.Ended;
    if (tally.Ended) FinishRun(record, tally, watch, process);
    run.Facts = record.Facts();
    run.RunMs = (tally.Ended ? tally.EndMs : watch.Now()) - startMs;
    run.ProcessorBefore100ns = tally.Before.Kernel + tally.Before.User;
    run.User100ns = tally.Times.User;
    run.Kernel100ns = tally.Times.Kernel;
    run.Processes = watch.Processes();
    run.Io = watch.Io();
    if (watch.Tracked()) run.Tree = *watch.Tracked();
    return end.QuadPart;
}

int32_t MeasureRun(const RunOptions& options, HANDLE stop) {
    const int8_t language = ReportLanguage();
    ConsoleRun run;
    run.Processors = CountMachineProcessors();
    run.Children = options.Children;
    if (options.ProcessRows >= 0) run.ProcessRows = static_cast<size_t>(options.ProcessRows);
    run.Attached = options.WatchedId != 0;
    OwnedHandle process;
    StartRequest request;
    Text processor; // with a batch file: the command processor and its line
    Text batchLine;
    if (run.Attached) {
        process = OpenForWatching(options.WatchedId);
        if (!process.valid()) {
            // A service or another account's process is there, but not ours to watch.
            const uint32_t error = GetLastError();
            const bool refused = RefusedAccess(error);
            const Text id = IntegerToText(options.WatchedId);
            run.Failure = {true, error,
                           refused ? "access denied" : "no process " + id + " to watch", 0};
            return ReportFailure(options, run, refused ? ExitNotStarted : ExitNotFound,
                                 refused ? "brenkrun: process " + id + ": access denied"
                                         : "brenkrun: " + run.Failure.Reason);
        }
        char image[MAX_PATH * 4];
        DWORD length = sizeof image;
        if (QueryFullProcessImageNameA(process.get(), 0, image, &length))
            run.Program.assign(image, length);
        run.Command = run.Program;
    } else {
        run.Program = FindProgram(options.Command.front());
        run.Arguments.assign(options.Command.begin() + 1, options.Command.end());
        if (run.Program.empty()) {
            run.Program = options.Command.front();
            run.Failure = {true, -1, "not found", 0};
            return ReportFailure(options, run, ExitNotFound,
                                 "brenkrun: " + run.Program + ": " + run.Failure.Reason);
        }
        run.Command = ComposeCommand(options.Command);
        // A batch file runs through the command processor, whose parsing
        // would take & | < > ^ in its arguments as commands: each goes as
        // data, or nothing starts.
        if (IsBatchFile(run.Program)) {
            std::vector<Text> batch = options.Command;
            batch.front() = run.Program;
            processor = CommandProcessorPath();
            if (!ComposeBatchCommand(processor, batch, &batchLine)) {
                run.Failure = {true, -1,
                               "an argument holds a quotation mark, a percent sign or a line "
                               "break, which a batch file cannot take as data",
                               0};
                return ReportFailure(options, run, ExitUsage,
                                     "brenkrun: " + run.Program + ": " + run.Failure.Reason +
                                         "; nothing started");
            }
        }
    }

    RunLog log;
    RunLog* logUsed = nullptr;
    if (!options.LogFile.empty()) {
        if (log.Open(options.LogFile))
            logUsed = &log;
        else
            Fail(0, "brenkrun: the log " + options.LogFile + " cannot be written; no log");
    }

    const uint64_t startMs = GetTickCount64();
    OwnedHandle job;
    OwnedHandle notices;
    if (!run.Attached) {
        request.Path = batchLine.empty() ? run.Program.c_str() : processor.c_str();
        request.CommandLine = batchLine.empty() ? run.Command : batchLine;
        request.InJob = options.Children;
        StandardHandles shared;
        InheritStandardHandles(shared);
        request.StandardHandles = shared.Handles;
        request.Elevate = StartElevated;
        StartedProcess started = StartProcess(std::move(request));
        if (!started.Process.valid()) {
            run.Failure = StartFailureOf(started.Error, run.Program);
            return ReportFailure(options, run, ExitNotStarted,
                                 "brenkrun: " + run.Program + ": could not be started (" +
                                     StartFailureWords(run.Failure) + ")");
        }
        process = std::move(started.Process);
        job = std::move(started.Job);
        notices = std::move(started.Notices);
    }
    if (logUsed) logUsed->Write(LogStartLine(language, run.Command));

    RunRecord record;
    WatchRun(run, record, options, process.get(), job.get(), notices.get(), stop, startMs, logUsed);
    const int32_t status = Report(options, language, run, logUsed);
    // The status stays the program's: the graph is an extra, as the reports are.
    if (!options.PlotFile.empty() &&
        !WritePlot(options.PlotFile, record, run.Program, language, options.PlotWidth,
                   options.PlotHeight))
        Fail(0, "brenkrun: the graph could not be written to " + options.PlotFile);
    return status;
}
