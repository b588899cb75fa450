#include "console/run_watch_win.h"

#include <psapi.h>

#include <algorithm>

#include "monitor/job_memory.h"
#include "services/job.h"

namespace {

constexpr DWORD MemberAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE;
// The stop event takes one slot of a wait.
constexpr size_t MostWaitedMembers = MAXIMUM_WAIT_OBJECTS - 1;

uint64_t Hundreds(const LARGE_INTEGER& time) {
    return static_cast<uint64_t>(time.QuadPart);
}

bool MemoryOf(HANDLE process, PROCESS_MEMORY_COUNTERS_EX& counters) {
    counters = {};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof counters) != 0;
}

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

} // namespace

RunWatch::RunWatch(HANDLE process, HANDLE job) : process_(process), job_(job) {}

WatchReading RunWatch::Read(bool ended) {
    if (job_) return ReadJob();
    WatchReading reading;
    // Under Wine an ended program's Linux process is gone; the system keeps
    // the times of an ended process only on Windows.
    if (!times_ && !(ended && UnderWine())) times_ = std::make_unique<ProcessTimes>(process_);
    if (!times_ || !times_->Read(&reading.Times.Kernel, &reading.Times.User)) reading.Times = {};
    PROCESS_MEMORY_COUNTERS_EX counters;
    if (MemoryOf(process_, counters)) {
        reading.WorkingSet = static_cast<int64_t>(counters.WorkingSetSize);
        reading.PeakWorkingSet = static_cast<int64_t>(counters.PeakWorkingSetSize);
        reading.PeakPrivate = static_cast<int64_t>(counters.PeakPagefileUsage);
    }
    return reading;
}

// The job's own accounting where it counts (it keeps the ended processes);
// under Wine, whose job times read 0, the threads of the live processes,
// each kept after it ends. Memory: the live processes summed, as the window
// sums them.
WatchReading RunWatch::ReadJob() {
    Refresh();
    WatchReading reading;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                  sizeof accounting, nullptr))
        reading.Times = {Hundreds(accounting.TotalKernelTime), Hundreds(accounting.TotalUserTime)};
    if (reading.Times.Kernel + reading.Times.User == 0) {
        std::vector<uint32_t> ids;
        for (const Member& member : members_)
            ids.push_back(member.id);
        if (!ReadThreadTimes(ids, threads_, &reading.Times)) reading.Times = threads_.Total();
    }
    JobMemoryPass pass;
    uint64_t privateBytes = 0;
    bool read = false;
    for (const Member& member : members_) {
        PROCESS_MEMORY_COUNTERS_EX counters;
        if (!MemoryOf(member.process.get(), counters)) continue;
        pass.Add(counters.WorkingSetSize, counters.PeakWorkingSetSize);
        privateBytes += counters.PrivateUsage;
        read = true;
    }
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

bool RunWatch::Ended() const {
    if (job_) return JobLiveProcesses(job_) == 0;
    return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

WatchWait RunWatch::Pause(HANDLE stop, uint64_t deadline) {
    for (;;) {
        if (Ended()) return WatchWait::Ended;
        std::vector<HANDLE> objects;
        if (stop) objects.push_back(stop);
        if (!job_) objects.push_back(process_);
        for (const Member& member : members_)
            if (objects.size() < MostWaitedMembers + 1) objects.push_back(member.process.get());
        const uint64_t now = GetTickCount64();
        if (now >= deadline) return WatchWait::Interval;
        const auto left = static_cast<DWORD>(deadline - now);
        if (objects.empty()) {
            // A job whose processes are not known yet: look again soon.
            Sleep(std::min<DWORD>(left, 50));
            continue;
        }
        const DWORD woken =
            WaitForMultipleObjects(static_cast<DWORD>(objects.size()), objects.data(), FALSE, left);
        if (woken == WAIT_TIMEOUT) return WatchWait::Interval;
        if (stop && woken == WAIT_OBJECT_0) return WatchWait::Stop;
        if (woken >= WAIT_OBJECT_0 + objects.size()) {
            // A wait that cannot be made still keeps the pace.
            Sleep(left);
            return WatchWait::Interval;
        }
        if (job_) Refresh();
    }
}

int64_t RunWatch::Processes() const {
    if (!job_) return 1;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    int64_t total = 0;
    if (QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                  sizeof accounting, nullptr))
        total = accounting.TotalProcesses;
    return std::max(total, static_cast<int64_t>(seen_.size()));
}

// The job's processes of now, as the window's job sampler keeps them: an
// ended one goes first, so a number listed again names a new process.
void RunWatch::Refresh() {
    std::erase_if(members_, [](const Member& member) {
        return WaitForSingleObject(member.process.get(), 0) == WAIT_OBJECT_0;
    });
    for (Member& member : members_)
        member.seen = false;
    for (uint32_t id : JobProcessIds(job_)) {
        if (std::find(seen_.begin(), seen_.end(), id) == seen_.end()) seen_.push_back(id);
        auto known = std::find_if(members_.begin(), members_.end(),
                                  [id](const Member& member) { return member.id == id; });
        if (known != members_.end()) {
            known->seen = true;
            continue;
        }
        OwnedHandle process(OpenProcess(MemberAccess, FALSE, id));
        BOOL inJob = FALSE;
        if (process.valid() && IsProcessInJob(process.get(), job_, &inJob) && inJob)
            members_.push_back({id, std::move(process), true});
    }
    std::erase_if(members_, [](const Member& member) { return !member.seen; });
}
