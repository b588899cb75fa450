// The observed program quit: asked to end and awaited while the window keeps
// serving its messages, its summary and log finished; or let go when Brenk
// itself goes.
#include <windows.h>

#include "measure/summary.h"
#include "monitor/process_log.h"
#include "monitor/monitor_win.h"
#include "monitor/program_win.h"
#include "monitor/quitting.h"
#include "services/launcher.h"
#include "services/owned_handle.h"
#include "services/threads.h"
#include "toolkit/controls.h"
#include "toolkit/window.h"

namespace {

// How long a program that was just asked to end may take to be gone.
constexpr DWORD EndWaitMs = 2000;
// How often a job, or a program Brenk holds no handle of its own for, is asked.
constexpr DWORD EndPollMs = 20;

// Waits for the worker's end while the window keeps handling its messages:
// the worker may be handing over a text of the values column just now.
void WaitForWorker(int32_t worker) {
    while (ThreadAlive(worker)) {
        HANDLE handle = LiveThreadHandle(worker);
        if (!handle) break;
        WaitForThreadPumping(handle, INFINITE);
    }
}

void FinishLog() {
    auto& program = Monitor.ObservedProgram;
    if (!program.LogHandle.valid()) return;
    // The processes first: the summary stays the log's last line.
    for (size_t i = 0; i < program.Tree.Size(); ++i)
        WriteReadingLog(ProcessLogLine(Monitor.Language, program.Tree.At(i)));
    SummaryFigures figures = SummaryOf(program.Record.Facts(), GetTickCount64());
    figures.io = program.Io;
    WriteReadingLog(SummaryLogLine(Monitor.Language, figures));
    CloseReadingLog();
}

// Waits up to limitMs for the program's end while the window keeps serving
// its messages. True once it has ended.
bool WaitForProgramEnd(DWORD limitMs) {
    auto& program = Monitor.ObservedProgram;
    // The process's own end wakes the wait; a job's other processes are
    // asked again every step, the steps waiting on an event that never comes.
    const bool byProcess = program.ProcessHandle.valid() && !program.Job;
    const OwnedHandle pause(byProcess ? nullptr : CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const HANDLE waitOn = byProcess ? program.ProcessHandle.get() : pause.get();
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
        if (program.StopEvent.valid()) SetEvent(program.StopEvent.get());
        WaitForWorker(program.WorkerThread);
    }
    // Also a program that was launched but never monitored: the user asked
    // to quit it, and its record would otherwise be lost.
    void EndProgram() { KillLaunched(program.Program); }
    bool AwaitEnd() { return WaitForProgramEnd(EndWaitMs); }
    void ResumeWorker() {
        if (program.StopEvent.valid()) ResetEvent(program.StopEvent.get());
        program.FirstPass = GetTickCount64();
        StartWorker();
    }
    void Finish() {
        // The summary reads the ended program and its job before the record
        // lets them go.
        if (program.ProcessHandle.valid()) {
            FinishSummary();
            FinishLog();
            RefreshSummaryTip();
        }
        LetProgramGo();
    }
    void LetProgramGo() {
        program.Job = nullptr;
        if (program.Program) ReleaseLaunched(program.Program);
        program.ProcessHandle.reset();
        program.StopEvent.reset();
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
