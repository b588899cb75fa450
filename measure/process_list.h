// Every process of a watched tree, however short, with its own figures: kept
// compact so that a build of 100 000 processes holds a few MB (names kept
// once each, the figures of an ended process packed).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "services/process_io.h"
#include "services/process_times.h"

// The figures of one process as read; -1 (or TimesRead false): not measured.
struct ProcessFigures {
    bool TimesRead = false;
    CpuTimes Times;
    int64_t PeakWorkingSet = -1; // bytes
    int64_t PeakPrivate = -1;
    IoFigures Io;
};

// One process of the list, as shown. Times in 100 ns units (whole ms);
// -1 where a figure was not measured; EndMs and ExitCode -1 while it runs.
struct ProcessEntry {
    std::string_view Name;
    uint32_t Pid = 0;
    uint32_t ParentPid = 0;
    int64_t StartMs = 0; // since the run's start
    int64_t EndMs = -1;
    int64_t ExitCode = -1;
    int64_t User100ns = -1;
    int64_t Kernel100ns = -1;
    int64_t PeakWorkingSet = -1;
    int64_t PeakPrivate = -1;
    IoFigures Io;
    bool Running() const { return EndMs < 0; }
};

class ProcessList {
  public:
    // A process met (by its start notice, or first at a pass): a number of
    // a live process met again is the same process and changes nothing.
    void Started(uint32_t pid, uint32_t parentPid, std::string_view name, uint64_t ms);
    // The name of a live process met before its name could be read.
    void Named(uint32_t pid, std::string_view name);
    // A live process that turned out not to be the program's (a console
    // host named late) leaves the list.
    void Forget(uint32_t pid);
    // Figures of the live process read now: each counter keeps the latest
    // figure read, a peak the largest; a figure not read keeps the last.
    void Update(uint32_t pid, const ProcessFigures& figures);
    // The process ended at ms with its exit code (-1: unknown).
    void Ended(uint32_t pid, uint64_t ms, int64_t exitCode);

    size_t Size() const { return where_.size(); }
    ProcessEntry At(size_t index) const;
    bool Live(uint32_t pid) const { return Find(pid) != nullptr; }
    // Bytes the list holds, its names too.
    size_t Bytes() const;

  private:
    // A live process: its figures whole, its name by index into names_.
    struct Running {
        uint32_t Index; // in the list
        uint32_t Name;
        ProcessEntry Entry;
    };
    Running* Find(uint32_t pid);
    const Running* Find(uint32_t pid) const;
    uint32_t NameIndex(std::string_view name);
    ProcessEntry Decode(size_t at) const;

    // Per process: where its figures are, an offset into ended_, or with
    // LiveMark the index in live_.
    std::vector<uint32_t> where_;
    // An ended process's figures never change: each is packed as numbers of
    // 7 bits a byte, the most build processes use 40 bytes or so.
    std::vector<uint8_t> ended_;
    std::vector<Running> live_;
    std::vector<std::string> names_;
};

// The indices of the list's processes, largest peak working set first (not
// measured last), at most limit of them (0: all).
std::vector<size_t> LargestProcesses(const ProcessList& list, size_t limit);
