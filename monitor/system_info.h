// The figures and text of the system information line.
#pragma once

#include <cstdint>

#include "monitor/state.h"

// The registry clock raised to the next multiple of 10 MHz, divided in single
// precision as the line has always shown it: 2394 -> 2400, 2401 -> 2410.
int32_t CeilingMHz(uint32_t registryMHz);

// Installed memory in MB: (bytes + 640 KB) / 1 MB, truncated, in 64 bits.
int32_t InstalledMB(uint64_t totalBytes);

// "CPU: ~ 2400 MHz,   RAM: 1024 MB" from the pieces and Readings.
Text SystemInfoLine(const MonitorState& state);
