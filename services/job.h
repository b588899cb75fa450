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

// What a job tells of its processes as they come and go.
enum class JobNoticeKind { None, Started, Ended, Empty, Other };
struct JobNotice {
    JobNoticeKind Kind = JobNoticeKind::None;
    uint32_t Pid = 0;
};

// A completion port that receives the job's notices (a process started, a
// process ended, normally or not, no process left); null when the job cannot
// send them. The caller owns the handle.
void* WatchJobNotices(void* job);

// The next notice, waiting up to waitMs for it; None when none came, Other
// for a notice of something else (a limit reached).
JobNotice NextJobNotice(void* port, uint32_t waitMs);
