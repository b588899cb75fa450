// The sampling worker: the measuring core's passes over the observed
// program, handed to the window and its log.
#include <windows.h>

#include <atomic>
#include <memory>

#include "measure/log_file_win.h"
#include "measure/watch_win.h"
#include "monitor/monitor_win.h"
#include "monitor/process_log.h"
#include "monitor/sampling.h"
#include "services/launcher.h"
#include "toolkit/controls.h"

namespace {

// The last worker's watch of a tree: the worker's until it ends, then the
// main thread's until the summary has read it.
std::unique_ptr<Watch> TreeWatch;
// What it watches: the run that began at treeStart.
HANDLE treeProcess = nullptr;
void* treeJob = nullptr;
uint64_t treeStart = 0;

// The tree as last handed over, for the history window; its version grows
// at each hand-over.
SRWLOCK treeLock = SRWLOCK_INIT;
ProcessList sharedTree;
uint64_t sharedVersion = 0;
std::atomic<bool> treeWanted{false};

void ShareTree(const ProcessList& tree) {
    AcquireSRWLockExclusive(&treeLock);
    sharedTree = tree;
    ++sharedVersion;
    ReleaseSRWLockExclusive(&treeLock);
}

// The bound memory query; null when the export is missing, and then the
// memory readings stay 0.
MemoryInfoFunction MemoryQuery() {
    return reinterpret_cast<MemoryInfoFunction>(Monitor.MemoryInfoFunction);
}

struct WindowSink {
    const Watch& watch;

    void HandOver(const Text& values) {
        // Before the wake-up, so that the history window woken finds it.
        if (treeWanted.load() && watch.Tracked()) ShareTree(*watch.Tracked());
        // Handed over to the main thread, whose wait wakes for it: this is
        // what lets the main loop notice a program that has ended by itself.
        SetControlText(ColumnValues, values.c_str());
    }
    void LogPass(const Readings& readings, uint64_t msSinceStart) {
        WriteReadingLog(LogRowLine(LocalLogTime(), msSinceStart, readings));
    }
};

} // namespace

uint32_t SamplingWorker(int32_t interval) {
    auto& program = Monitor.ObservedProgram;
    std::unique_ptr<Watch> watch;
    // After a Quit that left the program running, the watch of its tree goes
    // on: its list holds every process so far, and the job's notices come to it.
    const uint64_t start = program.Record.Facts().StartTick;
    if (TreeWatch && treeProcess == program.ProcessHandle.get() && treeJob == program.Job &&
        treeStart == start) {
        watch = std::move(TreeWatch);
    } else {
        TreeWatch.reset();
        watch = std::make_unique<Watch>(program.ProcessHandle.get(), program.Job,
                                        program.StopEvent.get(), MemoryQuery());
        if (Monitor.Options.Children)
            watch->TrackProcesses(start, JobNoticesOfLaunched(program.Program));
        ShareTree(watch->Tracked() ? *watch->Tracked() : ProcessList());
    }
    WindowSink sink{*watch};
    RunSamplingWorker(Monitor, *watch, sink, interval);
    program.Io = watch->Io();
    if (!watch->Tracked()) return 0;
    program.Tree = *watch->Tracked();
    ShareTree(program.Tree);
    // A Quit stops the worker before the tree ends: the notices of its ends
    // come to this watch, which the summary reads once the tree is gone.
    treeProcess = program.ProcessHandle.get();
    treeJob = program.Job;
    treeStart = start;
    TreeWatch = std::move(watch);
    return 0;
}

void NoteProgramEnd() {
    Monitor.ObservedProgram.Record.NoteEnd(GetTickCount64());
}

void FinishSummary() {
    auto& program = Monitor.ObservedProgram;
    // Quit has seen the program gone, so its exit code is final; what
    // cannot be read any more keeps what the passes saw.
    Watch watch(program.ProcessHandle.get(), program.Job, nullptr, MemoryQuery());
    FinishRun(program.Record, program.Tally, watch, program.ProcessHandle.get());
    if (TreeWatch) {
        TreeWatch->ReadAfterEnd();
        program.Tree = *TreeWatch->Tracked();
        const RunFacts facts = program.Record.Facts();
        const uint64_t end = facts.EndTick ? facts.EndTick : GetTickCount64();
        EndRemainingProcesses(program.Tree, end > facts.StartTick ? end - facts.StartTick : 0,
                              static_cast<uint32_t>(program.ProcessId), facts.ExitCode);
        if (TreeWatch->Io().Any()) program.Io = TreeWatch->Io();
        TreeWatch.reset();
        ShareTree(program.Tree);
    }
    // An ended process's counters stay readable on Windows; where they do not,
    // the worker's last reading stands.
    if (watch.Io().Any()) program.Io = watch.Io();
}

void WantLiveTree(bool wanted) {
    treeWanted.store(wanted);
}

bool TakeLiveTree(ProcessList& tree, uint64_t& version) {
    AcquireSRWLockShared(&treeLock);
    const bool changed = sharedVersion != version;
    if (changed) {
        tree = sharedTree;
        version = sharedVersion;
    }
    ReleaseSRWLockShared(&treeLock);
    return changed;
}
