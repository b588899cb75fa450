// Processor times of another process.
#pragma once

#include <cstdint>

// Kernel and user time of the process (a HANDLE with query access, whose
// identifier is processId) in units of 100 ns. False when they cannot be read;
// the outputs are then 0.
bool QueryProcessTimes(void* process, uint32_t processId, uint64_t* kernel100ns,
                       uint64_t* user100ns);
