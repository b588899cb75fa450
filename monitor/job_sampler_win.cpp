#include "monitor/job_sampler_win.h"

#include "services/job.h"

namespace {

// A process of the job: sampled, and waited for in the pause.
constexpr DWORD JobMemberAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE;
// The stop event takes one slot of a wait.
constexpr size_t MostWaitedMembers = MAXIMUM_WAIT_OBJECTS - 1;

} // namespace

void TakeLoad(MonitorState& state, uint64_t used) {
    auto& sampler = state.ObservedProgram.Sampler;
    sampler.LastLoad = SampleCpuLoad(sampler, used, GetTickCount(), sampler.LastLoad);
    state.Readings.Row[CpuCurrent] = sampler.LastLoad;
    RaiseAtLeast(state.ObservedProgram.Summary.ProcessorTime, used);
}

void JobSampler::RaisePeak(uint32_t id, uint64_t bytes) {
    for (Peak& peak : peaks_) {
        if (peak.id != id) continue;
        if (bytes > peak.bytes) peak.bytes = bytes;
        return;
    }
    peaks_.push_back({id, bytes});
}

void JobSampler::Sample(MonitorState& state) {
    Refresh();
    uint64_t used = 0;
    if (!JobAccountedTime(job_, &used)) used = MembersTime();
    TakeLoad(state, used);

    const auto query = MemoryQuery(state);
    if (!query) return;
    int64_t workingSet = 0;
    for (JobMember& member : members_) {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!query(member.process.get(), &counters, sizeof counters)) continue;
        workingSet += static_cast<int64_t>(counters.WorkingSetSize);
        RaisePeak(member.id, counters.PeakWorkingSetSize);
    }
    state.Readings.Row[RamCurrent] = workingSet;
    uint64_t peaks = 0;
    for (const Peak& peak : peaks_)
        peaks += peak.bytes;
    RaiseAtLeast(state.ObservedProgram.Summary.PeakWorkingSet, static_cast<int64_t>(peaks));
}

bool JobSampler::Ended() const { return JobLiveProcesses(job_) == 0; }

PauseEnd JobSampler::Pause(HANDLE stop, int32_t interval) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(interval);
    for (;;) {
        if (Ended()) return PauseEnd::ProgramEnded;
        std::vector<HANDLE> objects;
        if (stop) objects.push_back(stop);
        for (const JobMember& member : members_)
            if (objects.size() < MostWaitedMembers + 1) objects.push_back(member.process.get());
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return PauseEnd::Interval;
        const auto left = static_cast<DWORD>(end - now);
        if (objects.empty()) {
            Sleep(left);
            return PauseEnd::Interval;
        }
        const DWORD woken = WaitForMultipleObjects(static_cast<DWORD>(objects.size()),
                                                   objects.data(), FALSE, left);
        if (woken == WAIT_TIMEOUT) return PauseEnd::Interval;
        if (stop && woken == WAIT_OBJECT_0) return PauseEnd::Stop;
        if (woken >= WAIT_OBJECT_0 + objects.size()) {
            // A wait that cannot be made still keeps the pace of the interval.
            Sleep(left);
            return PauseEnd::Interval;
        }
        Refresh();
    }
}

// The job's processes of now: new ones opened, ended ones dropped.
void JobSampler::Refresh() {
    for (JobMember& member : members_)
        member.seen = false;
    for (uint32_t id : JobProcessIds(job_)) {
        JobMember* known = nullptr;
        for (JobMember& member : members_)
            if (member.id == id) known = &member;
        if (known) {
            known->seen = true;
            continue;
        }
        OwnedHandle process(OpenProcess(JobMemberAccess, FALSE, id));
        if (process.valid()) members_.push_back({id, std::move(process), true});
    }
    // A process that has ended keeps its threads' last times in the sum.
    std::erase_if(members_, [](const JobMember& member) {
        return !member.seen || WaitForSingleObject(member.process.get(), 0) == WAIT_OBJECT_0;
    });
}

// Where the job's own accounting reads 0: the threads of its processes, all
// in one snapshot, each thread's time kept after it (or its process) ends.
uint64_t JobSampler::MembersTime() {
    std::vector<uint32_t> ids;
    for (const JobMember& member : members_)
        ids.push_back(member.id);
    CpuTimes total;
    if (!ReadThreadTimes(ids, threads_, &total)) total = threads_.Total();
    return total.Kernel + total.User;
}
