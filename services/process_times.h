// Processor times of another process.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// Kernel and user time, in units of 100 ns.
struct CpuTimes {
    uint64_t Kernel = 0;
    uint64_t User = 0;
};

// The time of a whole made of parts that come and go (the threads of a
// process, the processes of a job) when only live parts can be asked: each
// part's last figure is kept by its identifier, and a part's time stays in
// the total after the part has ended, so the total never shrinks.
class AccumulatedTimes {
  public:
    // One reading of every live part: Record each, then EndRound. A part not
    // recorded in a round has ended; its last figure stays in the total.
    void Record(uint32_t part, CpuTimes times);
    CpuTimes EndRound();
    CpuTimes Total() const;

  private:
    struct Part {
        uint32_t id;
        CpuTimes last;
        bool seen;
    };
    std::vector<Part> live_;
    CpuTimes ended_;
};

// The figures of one process in Linux's /proc/<pid>/stat.
struct LinuxProcessStat {
    bool Valid = false;
    std::string_view Name;  // the short command name between the parentheses
    char State = 0;         // 'R', 'S', ...; 'Z' and 'X' once the process has ended
    uint64_t MinorFaults = 0; // minflt: page faults served without the disk
    uint64_t MajorFaults = 0; // majflt
    uint64_t UserTicks = 0; // utime, in clock ticks
    uint64_t SystemTicks = 0;
    uint64_t StartTicks = 0; // starttime: clock ticks after boot
};
LinuxProcessStat ParseLinuxStat(std::string_view text);

// Linux's clock ticks (USER_HZ) are 1/100 s on every architecture it runs on.
constexpr uint64_t HundredsPerLinuxTick = 100000;

// The Linux start time in clock ticks after boot of a process created at
// created (100 ns units of the same clock as now), read at now while
// /proc/uptime reads uptimeText (seconds with a fraction); -1 when the text
// is not a number or the process would have started before the boot.
int64_t LinuxStartTicks(uint64_t created, uint64_t now, std::string_view uptimeText);

// Of the candidates (processes of the right name), met one after another,
// the one that belongs to a process expected to have started at
// expectedTicks: the one within toleranceTicks of it, and only when no other
// lies within toleranceTicks as well, since then either could be it.
class LinuxProcessPick {
  public:
    LinuxProcessPick(int64_t expectedTicks, int64_t toleranceTicks)
        : expected_(expectedTicks), tolerance_(toleranceTicks) {}
    void Consider(uint32_t pid, uint64_t startTicks) {
        const int64_t distance = static_cast<int64_t>(startTicks) - expected_;
        if (distance > tolerance_ || distance < -tolerance_) return;
        ++within_;
        pid_ = pid;
    }
    // 0 when there is none or it is not clear.
    uint32_t Picked() const { return within_ == 1 ? pid_ : 0; }
    // More than one lies within the tolerance: no later look can tell.
    bool Unclear() const { return within_ > 1; }

  private:
    int64_t expected_;
    int64_t tolerance_;
    int32_t within_ = 0;
    uint32_t pid_ = 0;
};

// The processor times of one process over an observation. Under Wine, which
// answers GetProcessTimes on another process with the caller's own times,
// they come from Linux's own accounting of the process behind it, found once;
// when it cannot be found, from the process's threads, accumulated so that
// the times of threads that end stay counted.
class ProcessTimes {
  public:
    // Threads: under Wine, from the threads even when the Linux process is
    // there (to test that way).
    enum class Prefer { Best, Threads };
    // process: a HANDLE with query and synchronise access.
    explicit ProcessTimes(void* process, Prefer prefer = Prefer::Best);
    ~ProcessTimes();
    ProcessTimes(const ProcessTimes&) = delete;
    ProcessTimes& operator=(const ProcessTimes&) = delete;

    // The times since the process started. False when they cannot be read;
    // the outputs are then 0.
    bool Read(uint64_t* kernel100ns, uint64_t* user100ns);

    // Where the figures come from: "process", "linux" or "threads".
    const char* Source() const;
    // Under Wine the number of the Linux process behind, found at the start;
    // 0 where there is none or it was not found.
    uint32_t LinuxPid() const;

  private:
    struct Reader;
    std::unique_ptr<Reader> reader_;
};
