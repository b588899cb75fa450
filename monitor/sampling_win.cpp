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
    WindowSink sink;
    RunSamplingWorker(Monitor, watch, sink, interval);
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
}
