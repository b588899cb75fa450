// The observed program with Children=1: its job read as one program, and
// the pause that waits for the job's last process to end. Used by the
// sampling worker, which owns one for the observation, and by the benchmark.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <vector>

#include "monitor/run_record.h"
#include "monitor/sampling.h"
#include "services/owned_handle.h"
#include "services/process_times.h"

using MemoryInfoFunction = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);

// The bound memory query; null when the export is missing.
inline MemoryInfoFunction MemoryQuery(const MonitorState& state) {
    return reinterpret_cast<MemoryInfoFunction>(state.MemoryInfoFunction);
}

// The system's own peaks of one process into the record. A process that ran
// at all held memory: a peak of 0 (counters of a process already gone) is no
// reading, and the record keeps saying the peak was not measured.
inline void RaisePeaks(RunRecord& record, const PROCESS_MEMORY_COUNTERS& counters) {
    if (counters.PeakWorkingSetSize > 0)
        record.RaisePeakWorkingSet(static_cast<int64_t>(counters.PeakWorkingSetSize));
    if (counters.PeakPagefileUsage > 0)
        record.RaisePeakPrivateBytes(static_cast<int64_t>(counters.PeakPagefileUsage));
}

// The load from the processor time used, kernel plus user, of the program or
// of its whole job, into the current readings; the time itself into the
// record. The sampler keeps the load before its scale, for a pass whose tick
// has not moved.
void LoadFromProcessorTime(MonitorState& state, uint64_t used);

// One live process of the job, opened once.
struct JobMember {
    uint32_t id;
    OwnedHandle process;
    bool seen;
};

// The job as one program: the time of all its processes, ended ones
// included, and the working sets of the live ones summed. Its peak is the
// most a pass proves was in memory at once (JobMemoryPass): never more than
// the job ever held, though a sum higher between two passes escapes it.
class JobSampler {
  public:
    explicit JobSampler(void* job) : job_(job) {}

    // Into the current readings, the sampler and the record.
    void Sample(MonitorState& state);

    bool Ended() const;

    // Waits for the stop request (null: none) or for the last process of the
    // job to end. A process that ends while others live only starts the wait
    // again with the job's processes of now, for the rest of the interval.
    PauseEnd Pause(HANDLE stop, int32_t interval);

    // Live processes read in the last pass.
    size_t Members() const { return members_.size(); }

  private:
    void Refresh();
    uint64_t MembersTime();

    void* job_;
    std::vector<JobMember> members_;
    AccumulatedTimes threads_;
};
