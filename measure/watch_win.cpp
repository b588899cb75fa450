#include "measure/watch_win.h"

#include <algorithm>

#include "measure/job_memory.h"
#include "services/job.h"
#include "services/launch.h"

namespace {

uint64_t Hundreds(const LARGE_INTEGER& time) {
    return static_cast<uint64_t>(time.QuadPart);
}

// The performance counter in 100 ns units: the tick count moves in the same
// coarse clock ticks as the processor times, too coarse to time a pass.
uint64_t FineClock() {
    LARGE_INTEGER count{};
    LARGE_INTEGER frequency{};
    if (!QueryPerformanceCounter(&count) || !QueryPerformanceFrequency(&frequency)) return 0;
    const auto ticks = static_cast<uint64_t>(count.QuadPart);
    const auto rate = static_cast<uint64_t>(frequency.QuadPart);
    return ticks / rate * 10'000'000 + ticks % rate * 10'000'000 / rate;
}

} // namespace

Watch::Watch(HANDLE process, HANDLE job, HANDLE stop, MemoryInfoFunction memory)
    : process_(process), job_(job), stop_(stop), memory_(memory) {}

Watch::~Watch() = default;

WatchReading Watch::Read() {
    passed_ = true;
    return job_ ? ReadJob() : ReadProcess(false);
}

WatchReading Watch::ReadAfterEnd() {
    // The notices of the last ends may come just after the job is empty.
    for (int attempt = 0; tracker_ && tracker_->LiveCount() > 0 && attempt < 10; ++attempt)
        tracker_->Take(50);
    return job_ ? ReadJob() : ReadProcess(true);
}

void Watch::TrackProcesses(uint64_t startMs, HANDLE notices, FiguresReader reader) {
    if (job_ && !tracker_)
        tracker_ = std::make_unique<ProcessTracker>(job_, notices, memory_, startMs, reader);
}

WatchReading Watch::ReadProcess(bool ended) {
    WatchReading reading;
    // Under Wine an ended program's Linux process is gone; the system keeps
    // the times of an ended process only on Windows.
    if (!times_ && !(ended && RunningUnderWine()))
        times_ = std::make_unique<ProcessTimes>(process_);
    if (!times_ || !times_->Read(&reading.Times.Kernel, &reading.Times.User)) reading.Times = {};
    reading.Clock = FineClock();
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (memory_ && memory_(process_, &counters, sizeof counters)) {
        reading.WorkingSet = static_cast<int64_t>(counters.WorkingSetSize);
        reading.PeakWorkingSet = static_cast<int64_t>(counters.PeakWorkingSetSize);
        reading.PeakPrivate = static_cast<int64_t>(counters.PeakPagefileUsage);
    }
    // Under Wine an ended process's counters are gone with its Linux process.
    if (!(ended && RunningUnderWine())) reading.Io = ReadProcessIo();
    return reading;
}

IoFigures Watch::ReadProcessIo() {
    if (!processIo_)
        processIo_ =
            std::make_unique<ProcessIo>(process_, memory_, times_ ? times_->LinuxPid() : 0);
    const IoFigures io = processIo_->Read();
    if (io.Any()) io_ = io;
    return io;
}

// The job's own accounting where it counts (it keeps the ended processes),
// less the console hosts' times; under Wine, whose job times read 0, the
// threads of the live processes, each kept after it ends. Memory: the live
// processes summed; the peak is the most a pass proves was in memory at
// once (JobMemoryPass). Console hosts count in none of them.
WatchReading Watch::ReadJob() {
    Refresh();
    WatchReading reading;
    if (tracker_) {
        tracker_->Take(0);
        for (const NumberedHandle& member : members_)
            tracker_->Meet(member.id);
        tracker_->ReadLive();
    }
    // The job's own count where it keeps one; else what the tracked
    // processes last read, ended ones too.
    reading.Io = ReadJobIo(job_);
    if (!reading.Io.Any() && tracker_) reading.Io = tracker_->IoTotal();
    if (reading.Io.Any()) io_ = reading.Io;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!RunningUnderWine() &&
        QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                  sizeof accounting, nullptr)) {
        for (const NumberedHandle& member : members_) {
            FILETIME created, exited, kernel, user;
            if (member.aside &&
                GetProcessTimes(member.handle.get(), &created, &exited, &kernel, &user))
                hosts_.Record(member.id, {Hundreds(kernel), Hundreds(user)});
        }
        const CpuTimes hosts = hosts_.EndRound();
        const CpuTimes all = {Hundreds(accounting.TotalKernelTime),
                              Hundreds(accounting.TotalUserTime)};
        reading.Times = {all.Kernel - std::min(all.Kernel, hosts.Kernel),
                         all.User - std::min(all.User, hosts.User)};
    }
    if (reading.Times.Kernel + reading.Times.User == 0 &&
        !ReadThreadTimes(members_, threads_, &reading.Times))
        reading.Times = threads_.Total();
    // Under Wine the threads are read only at the passes, so a process that
    // lives between two is missed; the tracked processes, read as they run,
    // count it.
    if (tracker_ && RunningUnderWine()) {
        const CpuTimes tracked = tracker_->TimesTotal();
        if (tracked.Kernel + tracked.User > reading.Times.Kernel + reading.Times.User)
            reading.Times = tracked;
    }
    reading.Clock = FineClock();
    if (!memory_) return reading;
    JobMemoryPass pass;
    uint64_t privateBytes = 0;
    bool read = false;
    for (const NumberedHandle& member : members_) {
        if (member.aside) continue;
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!memory_(member.handle.get(), &counters, sizeof counters)) continue;
        pass.Add(counters.WorkingSetSize, counters.PeakWorkingSetSize);
        // The commit charge, which the system counts as the private bytes.
        privateBytes += counters.PagefileUsage;
        read = true;
    }
    // No live process read: no reading of the job's memory either.
    if (!read) return reading;
    reading.WorkingSet = static_cast<int64_t>(pass.WorkingSet());
    reading.PeakWorkingSet = static_cast<int64_t>(pass.Peak());
    reading.PeakPrivate = static_cast<int64_t>(privateBytes);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    if (QueryInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits,
                                  nullptr))
        reading.PeakPrivate =
            std::max(reading.PeakPrivate, static_cast<int64_t>(limits.PeakJobMemoryUsed));
    return reading;
}

// Asked of the process itself: a program may well exit with the code that
// otherwise means "still active".
bool Watch::Ended() const {
    if (job_) return JobLiveProcesses(job_) == 0;
    return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

// A process of the job that ends while others live only starts the wait
// again with the job's processes of now, for the rest of the interval.
WatchWait Watch::Pause(uint64_t deadline) {
    if (tracker_ && tracker_->Listening()) return PauseTracking(deadline);
    for (;;) {
        // The stop request first: when both hold, the quit is already under way.
        if (stop_ && WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) return WatchWait::Stop;
        if (Ended()) return WatchWait::Ended;
        HANDLE objects[MAXIMUM_WAIT_OBJECTS];
        DWORD count = 0;
        if (stop_) objects[count++] = stop_;
        if (!job_) objects[count++] = process_;
        for (const NumberedHandle& member : members_)
            if (count < MAXIMUM_WAIT_OBJECTS) objects[count++] = member.handle.get();
        const uint64_t now = Now();
        if (now >= deadline) return WatchWait::Interval;
        const auto left = static_cast<DWORD>(std::min<uint64_t>(deadline - now, INFINITE - 1));
        if (count == 0) {
            // A job whose processes are not known yet: look again soon.
            Sleep(std::min<DWORD>(left, 50));
            Refresh();
            continue;
        }
        // Under Wine an ended process's I/O is gone: before the first pass,
        // which a short program does not live to see, it is read every 50 ms.
        const bool early = !job_ && !passed_ && RunningUnderWine();
        const DWORD woken =
            WaitForMultipleObjects(count, objects, FALSE, early ? std::min<DWORD>(left, 50) : left);
        if (woken == WAIT_TIMEOUT && early) {
            ReadProcessIo();
            continue;
        }
        if (woken == WAIT_TIMEOUT) return WatchWait::Interval;
        if (stop_ && woken == WAIT_OBJECT_0) return WatchWait::Stop;
        if (woken >= WAIT_OBJECT_0 + count) {
            // A wait that cannot be made still keeps the pace of the interval.
            Sleep(left);
            return WatchWait::Interval;
        }
        if (job_) Refresh();
    }
}

// Waits on the job's notices, so that a process is opened as it starts and
// read as it ends. Under Wine, which keeps no figures of an ended process, a
// small tree's live processes are read every 50 ms, so that one that lives
// between two passes still has figures; a stop is looked for every 100 ms.
WatchWait Watch::PauseTracking(uint64_t deadline) {
    constexpr size_t SmallTree = 8;
    for (;;) {
        if (stop_ && WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) return WatchWait::Stop;
        if (Ended()) return WatchWait::Ended;
        const uint64_t now = Now();
        if (now >= deadline) return WatchWait::Interval;
        const bool often = RunningUnderWine() && tracker_->LiveCount() <= SmallTree;
        uint64_t wait = deadline - now;
        if (often) wait = std::min<uint64_t>(wait, 50);
        if (stop_) wait = std::min<uint64_t>(wait, 100);
        tracker_->Take(static_cast<uint32_t>(wait));
        if (often) tracker_->ReadLive();
    }
}

// The job's processes of now: new ones opened, ended ones dropped. A number
// stays with its process while a handle to it is held, so a member found
// alive here is the process the job lists; an ended one goes first, and its
// number, if the job lists it again, names a new process, opened anew. A
// console host is kept as a member too, so that it is named only once.
void Watch::Refresh() {
    std::vector<NumberedHandle> live;
    for (uint32_t id : JobProcessIds(job_)) {
        NumberedHandle* known = nullptr;
        for (NumberedHandle& member : members_)
            if (member.id == id && member.handle.valid() &&
                WaitForSingleObject(member.handle.get(), 0) != WAIT_OBJECT_0)
                known = &member;
        if (known) {
            live.push_back(std::move(*known));
            continue;
        }
        OwnedHandle process = OpenForWatching(id);
        char image[MAX_PATH * 4];
        DWORD length = sizeof image;
        if (!process.valid() || !QueryFullProcessImageNameA(process.get(), 0, image, &length))
            length = 0;
        const bool counted = met_.Meet(id, std::string_view(image, length));
        // Between the job's list and the opening the number may have passed
        // to a process outside the job.
        BOOL inJob = FALSE;
        if (process.valid() && IsProcessInJob(process.get(), job_, &inJob) && inJob)
            live.push_back({id, std::move(process), !counted});
    }
    members_ = std::move(live);
}

void FinishRun(RunRecord& record, PassTally& tally, Watch& watch, HANDLE process) {
    const WatchReading last = watch.ReadAfterEnd();
    TakeReading(record, tally, last);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    record.Finish(code, last.PeakWorkingSet > 0);
}
