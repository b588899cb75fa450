// Every process of a job followed from its start to its end by the job's
// notices, into a ProcessList: a handle to each is opened as it starts and
// kept until it ends, so that even a process that lives between two passes
// is listed with the figures the system keeps of it.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "measure/process_list.h"
#include "services/owned_handle.h"
#include "services/process_io_win.h"
#include "services/process_times.h"

struct TrackedProcess {
    uint32_t Pid = 0;
    OwnedHandle Handle;
    std::unique_ptr<ProcessTimes> Times; // made at the first reading
    std::unique_ptr<ProcessIo> Io;
    bool Counted = true; // false: a console host, the system's, not the program's
    // Under Wine a process just started has no image name yet, and its Linux
    // process is found by that name: no figure is read before it is known.
    bool Named = false;
};

// The figures of a tracked process, live or just ended (ended: on Windows
// the kept handle still reads an ended process's own figures; under Wine it
// does not, and nothing is read). The seam a test hands the system's answer
// through.
using FiguresReader = bool (*)(TrackedProcess& process, MemoryInfoFunction memory, bool ended,
                               ProcessFigures& figures);
bool ReadTrackedFigures(TrackedProcess& process, MemoryInfoFunction memory, bool ended,
                        ProcessFigures& figures);

class ProcessTracker {
  public:
    // job: not owned; notices: the port already attached to the job (not
    // owned), which holds every notice since it was attached, so a process
    // that came and went before the tracker is listed too; null: a port is
    // attached now, which a job that has one refuses. startMs: the tick
    // count the run began at.
    ProcessTracker(HANDLE job, HANDLE notices, MemoryInfoFunction memory, uint64_t startMs,
                   FiguresReader reader = &ReadTrackedFigures);
    ~ProcessTracker();
    ProcessTracker(const ProcessTracker&) = delete;
    ProcessTracker& operator=(const ProcessTracker&) = delete;

    // False when the job sends no notices: the tracker then learns nothing.
    bool Listening() const { return port_ != nullptr; }
    // Takes the notices, waiting up to waitMs for the first; true when the
    // job said that no process is left.
    bool Take(uint32_t waitMs);
    // A process of the job met at a pass that no notice has named yet.
    void Meet(uint32_t pid);
    // The figures of every live process, read now.
    void ReadLive();
    // Live processes followed now.
    size_t LiveCount() const { return live_.size(); }
    const ProcessList& List() const { return list_; }
    // The I/O and the processor times of every process met, ended ones with
    // their last figures.
    IoFigures IoTotal() const;
    CpuTimes TimesTotal() const;

  private:
    void Start(uint32_t pid, bool unlessEnded = false);
    void End(uint32_t pid);
    bool Name(TrackedProcess& process);
    uint64_t Ms() const;

    OwnedHandle ownPort_; // when none was handed in
    HANDLE port_;
    MemoryInfoFunction memory_;
    uint64_t startMs_;
    FiguresReader reader_;
    std::vector<TrackedProcess> live_;
    ProcessList list_;
};
