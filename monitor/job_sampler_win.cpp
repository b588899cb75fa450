#include "monitor/job_sampler_win.h"

#include "monitor/job_memory.h"
#include "services/job.h"

namespace {

// A process of the job: sampled, and waited for in the pause.
constexpr DWORD JobMemberAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE;
// The stop event takes one slot of a wait.
constexpr size_t MostWaitedMembers = MAXIMUM_WAIT_OBJECTS - 1;

} // namespace

void LoadFromProcessorTime(MonitorState& state, uint64_t used) {
    auto& sampler = state.ObservedProgram.Sampler;
    sampler.LastLoad = SampleCpuLoad(sampler, used, GetTickCount(), sampler.LastLoad);
    state.Readings.Row[CpuCurrent] = sampler.LastLoad;
    state.ObservedProgram.Record.RaiseProcessorTime(used);
}

void JobSampler::Sample(MonitorState& state) {
    Refresh();
    uint64_t used = 0;
    if (!JobAccountedTime(job_, &used)) used = MembersTime();
    LoadFromProcessorTime(state, used);

    const auto query = MemoryQuery(state);
    if (!query) return;
    JobMemoryPass pass;
    for (JobMember& member : members_) {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (query(member.process.get(), &counters, sizeof counters))
            pass.Add(counters.WorkingSetSize, counters.PeakWorkingSetSize);
    }
    state.Readings.Row[RamCurrent] = static_cast<int64_t>(pass.WorkingSet());
    // No live process read: no reading of the job's memory either.
    if (pass.Peak() > 0)
        state.ObservedProgram.Record.RaisePeakWorkingSet(static_cast<int64_t>(pass.Peak()));
}

bool JobSampler::Ended() const {
    return JobLiveProcesses(job_) == 0;
}

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
        const DWORD woken =
            WaitForMultipleObjects(static_cast<DWORD>(objects.size()), objects.data(), FALSE, left);
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

// The job's processes of now: new ones opened, ended ones dropped. A number
// stays with its process while a handle to it is held, so a member found
// alive here is the process the job lists; an ended one goes first, and its
// number, if the job lists it again, names a new process, opened anew.
void JobSampler::Refresh() {
    // A process that has ended keeps its threads' last times in the sum.
    std::erase_if(members_, [](const JobMember& member) {
        return WaitForSingleObject(member.process.get(), 0) == WAIT_OBJECT_0;
    });
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
        // Between the job's list and the opening the number may have passed
        // to a process outside the job.
        BOOL inJob = FALSE;
        if (process.valid() && IsProcessInJob(process.get(), job_, &inJob) && inJob)
            members_.push_back({id, std::move(process), true});
    }
    std::erase_if(members_, [](const JobMember& member) { return !member.seen; });
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
