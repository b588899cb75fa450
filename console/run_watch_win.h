// The watched program read at a pass: the program alone, or with
// --children its whole job read as one program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "services/owned_handle.h"
#include "services/process_times.h"

// One reading of the program's figures.
struct WatchReading {
    CpuTimes Times;             // kernel and user, 100 ns units
    int64_t WorkingSet = -1;    // bytes; -1: not read
    int64_t PeakWorkingSet = -1; // as the system recorded it
    int64_t PeakPrivate = -1;    // commit
};

enum class WatchWait { Interval, Stop, Ended };

class RunWatch {
  public:
    // process: query, read and synchronise access; job: null for the
    // process alone. Neither is owned.
    RunWatch(HANDLE process, HANDLE job);

    // ended: the program is known to have ended (what Wine no longer has
    // of it is not looked for).
    WatchReading Read(bool ended = false);
    bool Ended() const;
    // Waits until the deadline (a GetTickCount64 value), the stop event
    // (null: none) or the program's end.
    WatchWait Pause(HANDLE stop, uint64_t deadline);
    // Processes seen so far: 1 for the process alone.
    int64_t Processes() const;

  private:
    struct Member {
        uint32_t id;
        OwnedHandle process;
        bool seen;
    };
    WatchReading ReadJob();
    void Refresh();

    HANDLE process_;
    HANDLE job_;
    // Made at the first reading: under Wine finding the program's Linux
    // process takes a look at every process, which a program that ends at
    // once should not wait for.
    std::unique_ptr<ProcessTimes> times_;
    std::vector<Member> members_;
    std::vector<uint32_t> seen_;
    AccumulatedTimes threads_;
};
