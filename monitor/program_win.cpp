// The observed program through its life: chosen, started and watched, quit.
#include <windows.h>

#include <utility>

#include "monitor/language.h"
#include "monitor/monitor_win.h"
#include "monitor/quitting.h"
#include "monitor/sampling.h"
#include "monitor/summary.h"
#include "services/files.h"
#include "services/launcher.h"
#include "services/owned_handle.h"
#include "services/shell_objects.h"
#include "services/threads.h"
#include "toolkit/controls.h"
#include "toolkit/requesters.h"
#include "toolkit/statusbar.h"
#include "toolkit/tooltip.h"
#include "toolkit/window.h"

namespace {

constexpr const char* ProgramPatterns = "Executable (*.exe)|*.exe";
// Query and read access for the samples; SYNCHRONIZE for the worker's wait
// on the program's end.
constexpr DWORD SamplingAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE;
// Gives the new process time to come up before the first sample.
constexpr DWORD StartDelayMs = 250;

void EnableControls(std::initializer_list<int32_t> controls, bool enable) {
    for (int32_t control : controls)
        DisableControl(control, enable ? 0 : 1);
}

void ResetInterval() {
    Monitor.IntervalIndex = Monitor.DefaultIntervalIndex;
    SetControlState(SpinInterval, Monitor.IntervalIndex);
    SetControlText(SpinInterval, IntervalText(Monitor, Monitor.IntervalIndex).c_str());
}

// Waits for the worker's end while the window keeps handling its messages:
// the worker may be handing over a text of the values column just now.
void WaitForWorker(int32_t worker) {
    while (ThreadAlive(worker)) {
        HANDLE handle = LiveThreadHandle(worker);
        if (!handle) break;
        WaitForThreadPumping(handle, INFINITE);
    }
}

void StartWorker() {
    Monitor.ObservedProgram.WorkerThread =
        SpawnThread(SamplingWorker, Monitor.IntervalTable[Monitor.IntervalIndex]);
}

// A new observation starts its summary afresh.
void ResetSummary(uint64_t tickBeforeLaunch) {
    auto& summary = Monitor.ObservedProgram.Summary;
    summary.StartTick = tickBeforeLaunch;
    summary.EndTick.store(0);
    summary.ProcessorTime.store(0);
    summary.PeakWorkingSet.store(0);
    summary.Passes.store(0);
    summary.ExitCode = 0;
    summary.Ended = false;
}

void FinishLog() {
    auto& program = Monitor.ObservedProgram;
    if (!program.LogHandle) return;
    WriteReadingLog(SummaryLogLine(Monitor.Language, SummaryOf(program.Summary, GetTickCount64())));
    CloseReadingLog();
}

} // namespace

void RefreshSummaryTip() {
    auto& program = Monitor.ObservedProgram;
    if (!program.ProcessHandle && !program.Summary.Ended) return;
    // Rebuilt once per pass and once at the end, not at every mouse move.
    const int32_t shownFor = program.Summary.Ended ? -2 : program.Summary.Passes.load();
    if (shownFor == program.SummaryTipPasses) return;
    program.SummaryTipPasses = shownFor;
    const Text tip = SummaryTip(Monitor.Language, SummaryOf(program.Summary, GetTickCount64()));
    if (tip == program.SummaryTipText) return;
    program.SummaryTipText = tip;
    SetTooltipText(FrameReadings, tip.c_str());
}

void ShowState(int8_t state) {
    if (state < 0 || state >= StateTextSlots) return;
    SetStatusText(MainStatusBar, 0, Monitor.StateTexts[state].c_str(), 0);
}

namespace {

// Forgets the program chosen before, whatever comes of the new choice.
void ForgetChosenProgram() {
    auto& program = Monitor.ObservedProgram;
    FreeText(program.FilePath);
    FreeText(program.FileName);
    SetControlText(FieldProgramName, program.FileName.c_str());
    FreeText(program.CommandLine);
    SetControlText(FieldCommandLine, program.CommandLine.c_str());
    EnableControls({FieldCommandLine, SpinInterval, ButtonStart}, false);
    SetControlText(ColumnValues, "");
    ResetInterval();
}

// The checks and states of a file chosen in the requester (empty: cancelled).
// A shortcut stands for its target, which is checked and taken in its place;
// the shortcut's own arguments come back in *arguments.
bool TakeChosenProgram(const Text& path, Text* arguments) {
    auto& program = Monitor.ObservedProgram;
    program.FilePath = path;
    FreeText(*arguments);
    // One that cannot be read counts as a file that is not there.
    if (IsShortcutName(path) && !ReadShortcut(path.c_str(), &program.FilePath, arguments))
        FreeText(program.FilePath);
    bool opened = false;
    if (!TextEquals(program.FilePath, "") && QueryFileLength(program.FilePath.c_str()) > 0) {
        const Text name = FileNameOf(program.FilePath.c_str());
        if (IsValidFileName(name.c_str())) {
            program.FileName = name;
            program.Directory = DirectoryOf(program.FilePath.c_str());
            SetControlText(FieldProgramName, program.FileName.c_str());
            EnableControls({FieldCommandLine, SpinInterval, ButtonOpen, ButtonStart}, true);
            ShowState(StateOpened);
            opened = true;
        } else {
            ReportError(ErrorForbiddenName);
        }
    } else {
        ShowState(StateNotOpened);
    }
    // The keys go where the next step is: starting it, or choosing again.
    FocusControl(opened ? ButtonStart : ButtonOpen);
    if (!opened) FreeText(*arguments);
    return opened;
}

} // namespace

void OpenObservedProgram() {
    ForgetChosenProgram();
    Text arguments;
    if (TakeChosenProgram(ChooseFileToOpen(Monitor.CaptionTexts[CaptionChooseProgram].c_str(),
                                           Monitor.ObservedProgram.Directory.c_str(),
                                           ProgramPatterns, 0),
                          &arguments))
        HandCommandLine(arguments);
}

bool OpenProgramFile(const char* path, Text* arguments) {
    ForgetChosenProgram();
    return TakeChosenProgram(Text(TextView(path)), arguments);
}

bool HandCommandLine(const Text& arguments) {
    // Cut, it could lose its start in the middle of a quoted path; typed
    // text keeps its last characters instead, as the user sees what goes.
    if (TextLength(arguments) > CommandLineLimit) {
        ReportError(ErrorCommandLineTooLong);
        return false;
    }
    SetControlText(FieldCommandLine, arguments.c_str());
    return true;
}

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
    // processor time yet at this tick.
    BeginObservation(Monitor, GetTickCount());
    SetControlText(ColumnValues, "");
    program.CommandLine = GetControlText(FieldCommandLine);

    ResetSummary(GetTickCount64());
    program.Record.Begin(program.Summary.StartTick, Monitor.Options.CpuScale,
                         Monitor.IntervalTable[Monitor.IntervalIndex]);
    const uint32_t flags = Monitor.Options.Children == 1 ? LaunchOpen | LaunchInJob : LaunchOpen;
    program.Program = LaunchProgram(program.FilePath.c_str(), program.CommandLine.c_str(),
                                    program.Directory.c_str(), flags);
    if (!program.Program) {
        CloseReadingLog();
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
    if (program.ProcessId != -1)
        process.reset(OpenProcess(SamplingAccess, FALSE, static_cast<DWORD>(program.ProcessId)));
    // Started through the shell, or not to be queried: runs unmonitored, and
    // there is nothing to log.
    if (!process.valid()) {
        CloseReadingLog();
        return;
    }
    program.ProcessHandle = process.release();
    program.Job = JobOfLaunched(program.Program);
    if (program.LogHandle) {
        const Text launched = ComposeCommandLine(program.FilePath, program.CommandLine);
        WriteReadingLog(LogStartLine(Monitor.Language, launched));
    }
    // Without the event the worker still ends, at the end of its pause.
    program.StopEvent = OwnedHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr)).release();

    Monitor.Monitoring.store(1);
    ShowState(StateRunning);
    Sleep(StartDelayMs);
    StartWorker();
}

namespace {

// How long a program that was just asked to end may take to be gone.
constexpr DWORD EndWaitMs = 2000;
// How often a job, or a program Brenk holds no handle of its own for, is asked.
constexpr DWORD EndPollMs = 20;

// Waits up to limitMs for the program's end while the window keeps serving
// its messages. True once it has ended.
bool WaitForProgramEnd(DWORD limitMs) {
    auto& program = Monitor.ObservedProgram;
    // The process's own end wakes the wait; a job's other processes are
    // asked again every step, the steps waiting on an event that never comes.
    const bool byProcess = program.ProcessHandle && !program.Job;
    const OwnedHandle pause(byProcess ? nullptr : CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const HANDLE waitOn = byProcess ? program.ProcessHandle : pause.get();
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    while (IsProgramAlive(program.Program)) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || !waitOn) return false;
        const auto left = static_cast<DWORD>(deadline - now);
        WaitForThreadPumping(waitOn, byProcess || left < EndPollMs ? left : EndPollMs);
    }
    return true;
}

// The platform's part of a Quit (quitting.h).
struct WindowsEnding {
    ObservedProgram& program = Monitor.ObservedProgram;

    void NoteEnd() { NoteProgramEnd(); }
    void StopWorker() {
        // Ends the worker's pause now instead of at the end of its interval.
        if (program.StopEvent) SetEvent(program.StopEvent);
        WaitForWorker(program.WorkerThread);
    }
    // Also a program that was launched but never monitored: the user asked
    // to quit it, and its record would otherwise be lost.
    void EndProgram() { KillLaunched(program.Program); }
    bool AwaitEnd() { return WaitForProgramEnd(EndWaitMs); }
    void ResumeWorker() {
        if (program.StopEvent) ResetEvent(program.StopEvent);
        StartWorker();
    }
    void Finish() {
        // The summary reads the ended program and its job before the record
        // lets them go.
        if (program.ProcessHandle) {
            FinishSummary();
            FinishLog();
            RefreshSummaryTip();
        }
        LetProgramGo();
    }
    void LetProgramGo() {
        program.Job = nullptr;
        if (program.Program) ReleaseLaunched(program.Program);
        OwnedHandle(std::exchange(program.ProcessHandle, nullptr)).reset();
        OwnedHandle(std::exchange(program.StopEvent, nullptr)).reset();
        program.Program = nullptr;
    }
};

// A Quit nested in another (the session ending while Quit waits) leaves it
// to the one under way.
bool quitting = false;

// Quit without a word: true when the program has ended; false when it still
// runs, and then it is watched on as before and Quit stays offered.
bool EndObservedProgram() {
    if (quitting) return true;
    quitting = true;
    EnableControls({ButtonQuit}, false);
    WindowsEnding ending;
    const QuitOutcome outcome = EndObservation(Monitor, ending);
    quitting = false;
    if (outcome == QuitOutcome::StillRunning) {
        EnableControls({ButtonQuit}, true);
        FocusControl(ButtonQuit);
        return false;
    }
    ShowState(StateTerminated);
    EnableControls({FieldCommandLine, SpinInterval, ButtonOpen, ButtonStart}, true);
    if (!FocusControl(ButtonStart)) FocusControl(ButtonOpen);
    return true;
}

} // namespace

void QuitObservedProgram() {
    if (!EndObservedProgram()) ReportError(ErrorStillRunning);
}

void LeaveObservedProgram(bool tell) {
    auto& program = Monitor.ObservedProgram;
    if (!program.Program || EndObservedProgram()) return;
    if (tell) ReportError(ErrorStillRunning);
    // Brenk goes and the program stays: the log gets the summary so far (a
    // running one) and the program is let go unended.
    Monitor.Monitoring.store(0);
    WindowsEnding ending;
    ending.StopWorker();
    FinishLog();
    ending.LetProgramGo();
}
