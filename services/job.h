// Questions on a job object: which processes it holds and what it has used.
#pragma once

#include <cstdint>
#include <vector>

// Live processes in the job; -1 when the job cannot be asked.
int32_t JobLiveProcesses(void* job);

// Identifiers of the job's live processes (empty when it cannot be asked).
std::vector<uint32_t> JobProcessIds(void* job);

// A new job holding process (best put in while it is still suspended, so
// not even its earliest child starts outside): the tree ends when the job's
// last handle closes, however its owner ends, and a child that asks to leave
// the job still starts, outside it. Null when no job could be made or the
// process could not be put in; the caller owns the handle.
void* MakeTreeJob(void* process);
