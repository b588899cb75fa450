// The sampling worker: once per interval the observed program's load and
// working set, the extremes, and the values column.
#include <windows.h>
#include <psapi.h>

#include <memory>
#include <unordered_map>
#include <vector>

#include "monitor/monitor_win.h"
#include "monitor/sampling.h"
#include "services/job.h"
#include "services/owned_handle.h"
#include "services/process_times.h"
#include "toolkit/controls.h"

namespace {

using MemoryInfoFunction = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
// A process of the job: sampled, and waited for in the pause.
constexpr DWORD JobMemberAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE;
// How long the summary waits for a terminated program to be gone.
constexpr DWORD FinalWaitMs = 2000;
// The stop event takes one slot of a wait.
constexpr size_t MostWaitedMembers = MAXIMUM_WAIT_OBJECTS - 1;

MemoryInfoFunction MemoryQuery(const MonitorState& state) {
    return reinterpret_cast<MemoryInfoFunction>(state.MemoryInfoFunction);
}

template <typename Figure> void RaiseAtLeast(std::atomic<Figure>& kept, Figure value) {
    if (value > kept.load()) kept.store(value);
}

// The load from the processor time used, kernel plus user, of the program or
// of its whole job. The sampler keeps the load before its scale, for a pass
// whose tick has not moved.
void TakeLoad(MonitorState& state, uint64_t used) {
    auto& sampler = state.ObservedProgram.Sampler;
    sampler.LastLoad = SampleCpuLoad(sampler, used, GetTickCount(), sampler.LastLoad);
    state.Readings.Row[CpuCurrent] = sampler.LastLoad;
    RaiseAtLeast(state.ObservedProgram.Summary.ProcessorTime, used);
}

// One process of the job, opened once and read through the same means as a
// program watched alone.
struct JobMember {
    uint32_t id;
    OwnedHandle process;
    std::unique_ptr<ProcessTimes> times;
    bool seen;
};

// The job as one program: the time of all its processes, ended ones
// included, and the working sets of the live ones summed. Its peak is the
// sum of each process's own recorded peak, kept for those that ended: no
// peak between two passes escapes it, though processes that peaked at
// different moments count in full.
class JobSampler {
  public:
    explicit JobSampler(void* job) : job_(job) {}

    void Sample(MonitorState& state) {
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
            uint64_t& peak = peaks_[member.id];
            if (counters.PeakWorkingSetSize > peak) peak = counters.PeakWorkingSetSize;
        }
        state.Readings.Row[RamCurrent] = workingSet;
        uint64_t peaks = 0;
        for (const auto& [id, peak] : peaks_)
            peaks += peak;
        RaiseAtLeast(state.ObservedProgram.Summary.PeakWorkingSet, static_cast<int64_t>(peaks));
    }

    bool Ended() const { return JobLiveProcesses(job_) == 0; }

    // Waits for the stop request or for the last process of the job to end.
    // A process that ends while others live only starts the wait again with
    // the job's processes of now, for the rest of the interval.
    PauseEnd Pause(HANDLE stop, int32_t interval) {
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

  private:
    // The job's processes of now: new ones opened, ended ones dropped.
    void Refresh() {
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
            if (!process.valid()) continue;
            auto times = std::make_unique<ProcessTimes>(process.get(), id);
            members_.push_back({id, std::move(process), std::move(times), true});
        }
        // A process that has ended keeps its last time in the sum.
        std::erase_if(members_, [](const JobMember& member) {
            return !member.seen || WaitForSingleObject(member.process.get(), 0) == WAIT_OBJECT_0;
        });
    }

    // Where the job's own accounting reads 0: the sum over its processes.
    uint64_t MembersTime() {
        for (JobMember& member : members_) {
            uint64_t kernel = 0;
            uint64_t user = 0;
            if (member.times->Read(&kernel, &user)) processes_.Record(member.id, {kernel, user});
        }
        const CpuTimes total = processes_.EndRound();
        return total.Kernel + total.User;
    }

    void* job_;
    std::vector<JobMember> members_;
    AccumulatedTimes processes_;
    std::unordered_map<uint32_t, uint64_t> peaks_;
};

class Watch {
  public:
    explicit Watch(const ObservedProgram& program)
        : process_(program.ProcessHandle), stop_(program.StopEvent),
          times_(program.ProcessHandle, static_cast<uint32_t>(program.ProcessId)) {
        if (program.Job) job_ = std::make_unique<JobSampler>(program.Job);
    }

    void Sample(MonitorState& state) {
        if (job_) {
            job_->Sample(state);
            return;
        }
        SampleCpu(state);
        SampleMemory(state);
    }

    // Asked of the process itself: a program may well exit with the code
    // that otherwise means "still active".
    bool Ended() const {
        const bool ended =
            job_ ? job_->Ended() : WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
        if (ended) NoteProgramEnd();
        return ended;
    }

    void HandOver(const Text& values) {
        // Handed over to the main thread, whose wait wakes for it: this is
        // what lets the main loop notice a program that has ended by itself.
        SetControlText(ColumnValues, values.c_str());
    }

    PauseEnd Pause(int32_t interval) {
        const PauseEnd end = job_ ? job_->Pause(stop_, interval) : PauseProcess(interval);
        if (end == PauseEnd::ProgramEnded) NoteProgramEnd();
        return end;
    }

    // The row of the pass just shown, so the log holds what the window showed.
    void Passed(MonitorState& state) {
        auto& summary = state.ObservedProgram.Summary;
        summary.Passes.fetch_add(1);
        // A program that ended before the first pass showed nothing to log.
        if (state.ValuesText.empty()) return;
        WriteReadingLog(
            LogRowLine(LocalLogTime(), GetTickCount64() - summary.StartTick, state.Readings));
    }

  private:
    PauseEnd PauseProcess(int32_t interval) {
        // The stop request first: when both hold, the quit is already under way.
        const HANDLE objects[] = {stop_, process_};
        const DWORD count = stop_ ? 2 : 1;
        const DWORD woken = WaitForMultipleObjects(count, stop_ ? objects : objects + 1, FALSE,
                                                   static_cast<DWORD>(interval));
        if (woken == WAIT_TIMEOUT) return PauseEnd::Interval;
        if (woken == WAIT_OBJECT_0 + count - 1) return PauseEnd::ProgramEnded;
        if (woken == WAIT_OBJECT_0) return PauseEnd::Stop;
        // A wait that cannot be made still keeps the pace of the interval.
        Sleep(static_cast<DWORD>(interval));
        return PauseEnd::Interval;
    }

    void SampleCpu(MonitorState& state) {
        uint64_t kernel = 0;
        uint64_t user = 0;
        // A failed query counts as no time used since the last sample.
        const uint64_t used = times_.Read(&kernel, &user)
                                  ? kernel + user
                                  : state.ObservedProgram.Sampler.LastProcessTime;
        TakeLoad(state, used);
    }

    void SampleMemory(MonitorState& state) const {
        // Without the export the memory readings stay 0.
        const auto query = MemoryQuery(state);
        if (!query) return;
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!query(process_, &counters, sizeof counters)) return;
        state.Readings.Row[RamCurrent] = static_cast<int64_t>(counters.WorkingSetSize);
        RaiseAtLeast(state.ObservedProgram.Summary.PeakWorkingSet,
                     static_cast<int64_t>(counters.PeakWorkingSetSize));
    }

    HANDLE process_;
    HANDLE stop_;
    ProcessTimes times_;
    std::unique_ptr<JobSampler> job_;
};

} // namespace

uint32_t SamplingWorker(int32_t interval) {
    Watch watch(Monitor.ObservedProgram);
    return RunSamplingWorker(Monitor, watch, interval);
}

void NoteProgramEnd() {
    uint64_t running = 0;
    Monitor.ObservedProgram.Summary.EndTick.compare_exchange_strong(running, GetTickCount64());
}

void FinishSummary() {
    auto& program = Monitor.ObservedProgram;
    auto& summary = program.Summary;
    // The program was just ended, or ended by itself; the end of a process
    // that is being terminated is not instant.
    WaitForSingleObject(program.ProcessHandle, FinalWaitMs);
    DWORD code = 0;
    if (GetExitCodeProcess(program.ProcessHandle, &code)) summary.ExitCode = code;
    // One more reading where the system keeps figures after the end (a
    // job's accounting, an ended process's times); what cannot be read any
    // more keeps what the passes saw.
    uint64_t used = 0;
    if (program.Job) {
        if (JobAccountedTime(program.Job, &used)) RaiseAtLeast(summary.ProcessorTime, used);
    } else {
        uint64_t kernel = 0;
        uint64_t user = 0;
        ProcessTimes last(program.ProcessHandle, static_cast<uint32_t>(program.ProcessId));
        if (last.Read(&kernel, &user)) RaiseAtLeast(summary.ProcessorTime, kernel + user);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        const auto query = MemoryQuery(Monitor);
        if (query && query(program.ProcessHandle, &counters, sizeof counters))
            RaiseAtLeast(summary.PeakWorkingSet, static_cast<int64_t>(counters.PeakWorkingSetSize));
    }
    summary.Ended = true;
}
