// One run of brenkrun: the program started (or a running process opened),
// watched by the measuring core, and reported once it has ended.
#pragma once

#include <windows.h>

#include <cstdint>

#include "console/run_options.h"

// Returns brenkrun's status: the program's exit code, or one of brenkrun's
// own. stop: set, it ends a watch by --pid (the process is not ours).
int32_t MeasureRun(const RunOptions& options, HANDLE stop);
