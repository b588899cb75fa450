// The sampling worker: once per interval the observed program's load and
// working set, the extremes, and the values column.
#include <windows.h>
#include <psapi.h>

#include <memory>
#include <vector>

#include "monitor/monitor_win.h"
#include "monitor/sampling.h"
#include "monitor/job_sampler_win.h"
#include "services/job.h"
#include "services/owned_handle.h"
#include "services/process_times.h"
#include "toolkit/controls.h"

namespace {

// The worker's part on this platform (sampling.h): the observed program, or
// its job with Children=1, read through the system.
class WindowsSampling {
  public:
    explicit WindowsSampling(const ObservedProgram& program)
        : process_(program.ProcessHandle.get()), stop_(program.StopEvent.get()),
          times_(program.ProcessHandle.get()) {
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
        const bool ended = job_ ? job_->Ended() : WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
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

    uint64_t Tick() const { return GetTickCount64(); }

    void LogPass(const Readings& readings, uint64_t msSinceStart) {
        WriteReadingLog(LogRowLine(LocalLogTime(), msSinceStart, readings));
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
        LoadFromProcessorTime(state, used);
    }

    void SampleMemory(MonitorState& state) const {
        // Without the export the memory readings stay 0.
        const auto query = MemoryQuery(state);
        if (!query) return;
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!query(process_, &counters, sizeof counters)) return;
        state.Readings.Row[RamCurrent] = static_cast<int64_t>(counters.WorkingSetSize);
        RaisePeaks(state.ObservedProgram.Record, counters);
    }

    HANDLE process_;
    HANDLE stop_;
    ProcessTimes times_;
    std::unique_ptr<JobSampler> job_;
};

} // namespace

uint32_t SamplingWorker(int32_t interval) {
    WindowsSampling watch(Monitor.ObservedProgram);
    return RunSamplingWorker(Monitor, watch, interval);
}

void NoteProgramEnd() {
    Monitor.ObservedProgram.Record.NoteEnd(GetTickCount64());
}

void FinishSummary() {
    auto& program = Monitor.ObservedProgram;
    auto& record = program.Record;
    // Quit has seen the program gone, so its exit code is final.
    DWORD code = 0;
    GetExitCodeProcess(program.ProcessHandle.get(), &code);
    // One more reading where the system keeps figures after the end (a
    // job's accounting, an ended process's times); what cannot be read any
    // more keeps what the passes saw.
    uint64_t used = 0;
    if (program.Job) {
        if (JobAccountedTime(program.Job, &used)) record.RaiseProcessorTime(used);
    } else {
        uint64_t kernel = 0;
        uint64_t user = 0;
        ProcessTimes last(program.ProcessHandle.get());
        if (last.Read(&kernel, &user)) record.RaiseProcessorTime(kernel + user);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        const auto query = MemoryQuery(Monitor);
        if (query && query(program.ProcessHandle.get(), &counters, sizeof counters))
            RaisePeaks(record, counters);
    }
    record.Finish(code);
}
