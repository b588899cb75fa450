// One run of brenkrun: the program started (or a running process opened),
// watched by the measuring core, and reported once it has ended.
#pragma once

#include <windows.h>

#include <cstdint>

#include "console/run_log_win.h"
#include "console/run_options.h"
#include "console/run_report.h"
#include "measure/run_record.h"

// Returns brenkrun's status: the program's exit code, or one of brenkrun's
// own. stop: set, it ends a watch by --pid (the process is not ours).
int32_t MeasureRun(const RunOptions& options, HANDLE stop);

// Why the program at path could not be started, the system's error given:
// its words for it, and the program's bits from its header.
RunFailure StartFailureOf(uint32_t error, const Text& path);

// English, unless a Brenk.ini here says Language=0 as the window reads it.
int8_t ReportLanguage();

// Watches the process (with its job, when it has one, and the port of the
// job's notices attached as it was made) from startMs, the tick just before
// its start, until it ends, or for a process watched by --pid until stop is
// set, and fills in run's figures from the record. log: a row
// for each pass; null for none. Returns the fine clock's count
// (QueryPerformanceCounter) when the end was found.
int64_t WatchRun(ConsoleRun& run, RunRecord& record, const RunOptions& options, HANDLE process,
                 HANDLE job, HANDLE notices, HANDLE stop, uint64_t startMs, RunLog* log);
