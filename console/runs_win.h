// The benchmark of --runs: every command run again and again in turns, each
// run measured as a single run is, then the statistics reported.
#pragma once

#include <windows.h>

#include <cstdint>

#include "console/run_options.h"

// Returns brenkrun's status: 0, or the exit code of the run that stopped the
// runs, or one of brenkrun's own. stop: set by Ctrl+C, it ends the runs
// after the one under way.
int32_t MeasureRuns(const RunOptions& options, HANDLE stop);
