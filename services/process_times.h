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

// Of the start times of the candidates (processes of the right name), the
// index of the one that belongs to a process expected to have started at
// expectedTicks: the nearest within toleranceTicks, and only when no other
// lies within toleranceTicks as well, since then either could be it; -1
// when there is none or it is not clear.
int32_t PickLinuxProcess(const std::vector<uint64_t>& startTicks, int64_t expectedTicks,
                         int64_t toleranceTicks);

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

  private:
    struct Reader;
    std::unique_ptr<Reader> reader_;
};

// The times of every thread of the processes, from one snapshot of the
// system's threads, recorded into threads by thread identifier: the total
// keeps the threads, and so the processes, that have ended. False when no
// snapshot can be had. For a job of processes under Wine, whose job
// accounting reads 0: one snapshot costs as much as for a single process.
bool ReadThreadTimes(const std::vector<uint32_t>& processIds, AccumulatedTimes& threads,
                     CpuTimes* total);

// Kernel plus user time in 100 ns units of every process the job has held,
// ended ones included, from the job's own accounting. False when it cannot
// be read, and under Wine, whose job accounting reads 0 however busy the job.
bool JobAccountedTime(void* job, uint64_t* total100ns);
