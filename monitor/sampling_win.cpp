// The sampling worker: once per interval the observed program's load and
// working set, the extremes, and the values column.
#include <windows.h>
#include <psapi.h>

#include <memory>
#include <vector>

#include "monitor/history_window_win.h"
#include "monitor/monitor_win.h"
#include "monitor/sampling.h"
#include "monitor/job_sampler_win.h"
#include "services/job.h"
#include "services/owned_handle.h"
#include "services/process_times.h"
#include "toolkit/controls.h"

namespace {

class Watch {
  public:
    explicit Watch(const ObservedProgram& program)
        : process_(program.ProcessHandle), stop_(program.StopEvent), times_(program.ProcessHandle) {
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
        const uint64_t sinceStart = GetTickCount64() - summary.StartTick;
        state.ObservedProgram.Record.Append(
            {static_cast<uint32_t>(sinceStart), static_cast<int32_t>(state.Readings.Row[CpuCurrent]),
             state.Readings.Row[RamCurrent]});
        // The hand-over woke the main loop before this pass was kept.
        WakeHistoryWindow();
        WriteReadingLog(LogRowLine(LocalLogTime(), sinceStart, state.Readings));
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
    // Quit has seen the program gone, so its exit code is final.
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
        ProcessTimes last(program.ProcessHandle);
        if (last.Read(&kernel, &user)) RaiseAtLeast(summary.ProcessorTime, kernel + user);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        const auto query = MemoryQuery(Monitor);
        if (query && query(program.ProcessHandle, &counters, sizeof counters))
            RaiseAtLeast(summary.PeakWorkingSet, static_cast<int64_t>(counters.PeakWorkingSetSize));
    }
    summary.Ended = true;
}
