// The sampling worker: the measuring core's passes over the observed
// program, handed to the window and its log.
#include <windows.h>

#include "measure/log_file_win.h"
#include "measure/watch_win.h"
#include "monitor/monitor_win.h"
#include "monitor/sampling.h"
#include "toolkit/controls.h"

namespace {

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
    Watch watch(program.ProcessHandle.get(), program.Job, program.StopEvent.get(), MemoryQuery());
    if (Monitor.Options.Children) watch.TrackProcesses(program.Record.Facts().StartTick);
    WindowSink sink;
    RunSamplingWorker(Monitor, watch, sink, interval);
    // The notices of the tree's last ends come only after its end; the
    // summary and the log read what the watch kept once the worker is gone.
    if (watch.Tracked() && watch.Ended()) watch.ReadAfterEnd();
    program.Io = watch.Io();
    if (watch.Tracked()) program.Tree = *watch.Tracked();
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
    // An ended process's counters stay readable on Windows; where they do not,
    // the worker's last reading stands.
    if (watch.Io().Any()) program.Io = watch.Io();
}
