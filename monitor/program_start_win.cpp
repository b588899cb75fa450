// The observed program started, and watched while it runs.
#include <windows.h>

#include <utility>
#include <vector>

#include "monitor/monitor_win.h"
#include "monitor/program_win.h"
#include "monitor/sampling.h"
#include "monitor/tool_arguments.h"
#include "measure/summary.h"
#include "services/launch.h"
#include "services/launcher.h"
#include "services/owned_handle.h"
#include "services/threads.h"
#include "toolkit/controls.h"

void StartWorker() {
    Monitor.ObservedProgram.WorkerThread =
        SpawnThread(SamplingWorker, Monitor.IntervalTable[Monitor.IntervalIndex]);
}

namespace {

// A batch file runs through the command processor, which would take the
// arguments' & | < > ^ as commands: each goes to it quoted as data, or the
// start is refused.
LaunchRecord* LaunchObserved(const ObservedProgram& program, StartFailure* failure) {
    const uint32_t flags = Monitor.Options.Children == 1 ? LaunchOpen | LaunchInJob : LaunchOpen;
    Text path = program.FilePath;
    Text parameters = program.CommandLine;
    if (IsBatchFile(path)) {
        std::vector<Text> command = ArgumentValues(program.CommandLine);
        command.insert(command.begin(), path);
        failure->batchRefused = !ComposeBatchArguments(command, &parameters);
        if (failure->batchRefused) return nullptr;
        path = CommandProcessorPath();
    }
    LaunchRecord* launched = LaunchProgram(path.c_str(), parameters.c_str(),
                                           program.Directory.c_str(), flags, &failure->error);
    if (!launched) {
        failure->systemText = SystemErrorText(failure->error, program.FilePath);
        failure->bits = ProgramBitsOf(program.FilePath);
    }
    return launched;
}

} // namespace

void StartObservedProgram() {
    auto& program = Monitor.ObservedProgram;
    EnableControls({FieldCommandLine, SpinInterval, ButtonOpen, ButtonStart}, false);
    EnableControls({ButtonQuit}, true);
    // Reported before anything is measured, so the box holds neither the
    // baseline nor the main thread while the program is watched; the
    // observation goes on unlogged.
    if (!Monitor.Options.LogFile.empty() && !OpenReadingLog()) ReportError(ErrorLogFile);
    // The keys belong to Quit from now on, while the error box of a failed
    // launch is up too.
    FocusControl(ButtonQuit);
    // The first sample measures from the launch: the new process has used no
    // processor time yet at this tick. The run's record starts afresh: what
    // any view showed of the last run goes.
    BeginObservation(Monitor, GetTickCount64());
    // The last run's summary, or why it did not start, is no longer true.
    program.SummaryTipPasses = -1;
    ShowSummaryTip(Text());
    SetControlText(ColumnValues, "");
    AssignText(program.CommandLine, GetControlText(FieldCommandLine));
    StartFailure failure;
    program.Program = LaunchObserved(program, &failure);
    if (!program.Program) {
        CloseReadingLog();
        // The specified message stays as it is; why, in the system's words,
        // waits in the tooltip.
        ShowSummaryTip(StartFailureTip(Monitor.Language, failure));
        ReportError(ErrorNotStarted);
        // Nothing runs, so there is nothing to quit: the program stays chosen
        // with its command line, and another start or another file is one
        // click away.
        EnableControls({ButtonQuit}, false);
        EnableControls({FieldCommandLine, SpinInterval, ButtonOpen, ButtonStart}, true);
        ShowState(StateOpened);
        if (!FocusControl(ButtonStart)) FocusControl(ButtonOpen);
        return;
    }
    ShowState(StateStarted);

    program.ProcessId = ProcessIdOf(program.Program);
    OwnedHandle process;
    if (program.ProcessId != -1) {
        process = OpenForWatching(static_cast<uint32_t>(program.ProcessId));
        // The launch's own handle, with the access it has, when the number
        // cannot be opened: the program runs (elevated, perhaps), and left
        // unwatched it would stay "started" for good.
        if (!process.valid()) process.reset(DuplicateLaunchedProcess(program.Program, 0));
    }
    // A file the shell opened, or a process not to be queried: runs
    // unmonitored, and there is nothing to log.
    if (!process.valid()) {
        CloseReadingLog();
        return;
    }
    program.ProcessHandle = std::move(process);
    program.Job = JobOfLaunched(program.Program);
    if (program.LogHandle.valid()) {
        const Text launched = ComposeCommandLine(program.FilePath, program.CommandLine);
        WriteReadingLog(LogStartLine(Monitor.Language, launched));
    }
    // Without the event the worker still ends, at the end of its pause.
    program.StopEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));

    Monitor.Monitoring.store(1);
    ShowState(StateRunning);
    // The worker takes its first pass a moment after the start, to give the
    // new process time to come up.
    StartWorker();
}
