// The watched program as the system shows it: one process, or with the tree
// (a job) every process of it read as one program. What the pass loop reads
// and waits on, in both programs.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "measure/job_members.h"
#include "measure/pass_loop.h"
#include "measure/process_tracker_win.h"
#include "measure/run_record.h"
#include "services/owned_handle.h"
#include "services/process_times.h"
#include "services/process_io_win.h"
#include "services/process_times_wine.h"

class Watch {
  public:
    // process: opened for watching (OpenForWatching), or a handle of the
    // least access (PROCESS_QUERY_LIMITED_INFORMATION and SYNCHRONIZE give
    // the times and the end; what it does not give reads -1); job: null for
    // the process alone; stop: ends a pause (null: none); memory: the memory
    // query (null: no memory figures). None is owned.
    Watch(HANDLE process, HANDLE job, HANDLE stop, MemoryInfoFunction memory);
    ~Watch();
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

    WatchReading Read();
    // What the system still tells once the program has ended: an ended
    // process's times and peaks on Windows (not under Wine), the job's
    // accounting.
    WatchReading ReadAfterEnd();
    bool Ended() const;
    // Waits until Now() reaches the deadline, for the stop or the end.
    WatchWait Pause(uint64_t deadline);
    uint64_t Now() const { return GetTickCount64(); }
    // Processes seen so far, console hosts left out: 1 for the process alone.
    int64_t Processes() const;
    // Live processes of the job read in the last pass, console hosts too.
    size_t Members() const { return members_.size(); }
    // Follows each process of the job from its start to its end, for the
    // list of processes; startMs: the Now() the run began at; notices: the
    // port attached to the job as it was made (JobNoticesOfLaunched,
    // StartedProcess::Notices; not owned), null for a job that has none yet.
    // Nothing for a process alone.
    void TrackProcesses(uint64_t startMs, HANDLE notices = nullptr,
                        FiguresReader reader = &ReadTrackedFigures);
    // Null unless processes are tracked.
    const ProcessList* Tracked() const { return tracker_ ? &tracker_->List() : nullptr; }
    // The program's I/O as last read (the whole tree's with a job).
    IoFigures Io() const { return io_; }

  private:
    WatchReading ReadProcess(bool ended);
    WatchReading ReadJob();
    void Refresh();
    WatchWait PauseTracking(uint64_t deadline);
    IoFigures ReadProcessIo();

    HANDLE process_;
    HANDLE job_;
    HANDLE stop_;
    MemoryInfoFunction memory_;
    // Made at the first reading: under Wine finding the program's Linux
    // process takes a look at every process, which a program that ends at
    // once should not wait for.
    std::unique_ptr<ProcessTimes> times_;
    std::vector<NumberedHandle> members_; // aside: a console host
    JobMembers met_;
    AccumulatedTimes threads_;
    AccumulatedTimes hosts_; // the console hosts' times, which the job's accounting holds
    std::unique_ptr<ProcessTracker> tracker_;
    std::unique_ptr<ProcessIo> processIo_;
    IoFigures io_;
    bool passed_ = false; // a pass has read the program
};

// The end of a watched run: the last figures the system keeps, and the
// program's exit code, into the record, which is then final. A peak read
// after the end covers the whole run (RunFacts::PeakWhole).
void FinishRun(RunRecord& record, PassTally& tally, Watch& watch, HANDLE process);
