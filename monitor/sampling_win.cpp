// The sampling worker: the measuring core's passes over the observed
// program, handed to the window and its log.
#include <windows.h>

#include <memory>

#include "measure/log_file_win.h"
#include "measure/watch_win.h"
#include "monitor/monitor_win.h"
#include "monitor/process_log.h"
#include "monitor/sampling.h"
#include "toolkit/controls.h"

namespace {

// The last worker's watch of a tree: the worker's until it ends, then the
// main thread's until the summary has read it.
std::unique_ptr<Watch> TreeWatch;

// The bound memory query; null when the export is missing, and then the
// memory readings stay 0.
MemoryInfoFunction MemoryQuery() {
    return reinterpret_cast<MemoryInfoFunction>(Monitor.MemoryInfoFunction);
}

struct WindowSink {
    void HandOver(const Text& values) {
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
    auto watch = std::make_unique<Watch>(program.ProcessHandle.get(), program.Job,
                                         program.StopEvent.get(), MemoryQuery());
    if (Monitor.Options.Children)
        watch->TrackProcesses(program.Record.Facts().StartTick,
                              JobNoticesOfLaunched(program.Program));
    WindowSink sink;
    RunSamplingWorker(Monitor, *watch, sink, interval);
    program.Io = watch->Io();
    if (!watch->Tracked()) return 0;
    program.Tree = *watch->Tracked();
    // A Quit stops the worker before the tree ends: the notices of its ends
    // come to this watch, which the summary reads once the tree is gone.
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
    }
    // An ended process's counters stay readable on Windows; where they do not,
    // the worker's last reading stands.
    if (watch.Io().Any()) program.Io = watch.Io();
}
