// What the program read and wrote, and with the tree each of its processes,
// in brenkrun's reports.
#pragma once

#include <cstdint>

#include "console/run_report.h"

// The run's I/O totals as JSON keys, each line ending in ",\n"; with the
// tree, also the "process_list" array, one object per process.
void AppendProcessJson(Text& json, const ConsoleRun& run);

// The text report's lines of the I/O totals, their captions as wide as
// width; with the tree, a table of its processes, largest peak working set
// first, at most run.ProcessRows of them (0: all).
Text ProcessReportText(int8_t language, const ConsoleRun& run, int32_t width);
