// The passes of a console run: one per interval into the run's record (and
// the log) until the program ends or watching is stopped.
#pragma once

#include <windows.h>

#include <cstdint>

#include "console/run_log_win.h"
#include "console/run_watch_win.h"
#include "monitor/run_record.h"

struct ObserveSetup {
    int32_t IntervalMs = 1000;
    int8_t CpuScale = 0;
    int32_t Processors = 1;
    uint64_t StartTick = 0;   // GetTickCount64 just before the launch
    bool Launched = true;     // false: a process watched by --pid, which ran before
    HANDLE Stop = nullptr;    // set: stop watching
    RunLog* Log = nullptr;    // null: no log
};

struct Observed {
    bool Ended = false; // false: stopped while the program runs on
    uint64_t EndTick = 0;
    CpuTimes Times;     // the last reading that was not less than those before
    uint64_t Before = 0; // a watched process's time before watching began
};

Observed Observe(RunRecord& record, RunWatch& watch, const ObserveSetup& setup);

// After the end: what the system still tells of the ended program (an
// ended process's times and peaks) raises the record's figures.
void ReadAfterEnd(RunRecord& record, RunWatch& watch, Observed& observed);
