// Questions on a job object: which processes it holds and what it has used.
#pragma once

#include <cstdint>
#include <vector>

// Live processes in the job; -1 when the job cannot be asked.
int32_t JobLiveProcesses(void* job);

// Identifiers of the job's live processes (empty when it cannot be asked).
std::vector<uint32_t> JobProcessIds(void* job);
