// Processor times of another process.
#pragma once

#include <cstdint>
#include <vector>

#include "services/time_ledger.h"

// Kernel and user time of the process (a HANDLE with query access, whose
// identifier is processId) in units of 100 ns. False when they cannot be read;
// the outputs are then 0.
bool QueryProcessTimes(void* process, uint32_t processId, uint64_t* kernel100ns,
                       uint64_t* user100ns);

// Kernel plus user time in 100 ns units of every process a job has held,
// ended ones included. processIds are the job's live processes; where the
// job's own accounting cannot be had, their threads are summed through
// threads, which keeps the times of threads and processes that have ended.
// False when nothing could be read.
bool QueryJobTimes(void* job, const std::vector<uint32_t>& processIds, TimeLedger& threads,
                   uint64_t* total100ns);
