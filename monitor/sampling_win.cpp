// The sampling worker: once per interval the observed program's load and
// working set, the extremes, and the values column.
#include <windows.h>
#include <psapi.h>

#include "monitor/monitor_win.h"
#include "monitor/sampling.h"
#include "services/process_times.h"
#include "toolkit/controls.h"

namespace {

using MemoryInfoFunction = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);

class Watch {
  public:
    explicit Watch(const ObservedProgram& program)
        : process_(program.ProcessHandle), stop_(program.StopEvent), times_(program.ProcessHandle) {
    }

    void Sample(MonitorState& state) {
        SampleCpu(state);
        SampleMemory(state);
    }

    // Asked of the process itself: a program may well exit with the code
    // that otherwise means "still active".
    bool Ended() const { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }

    void HandOver(const Text& values) {
        // Handed over to the main thread, whose wait wakes for it: this is
        // what lets the main loop notice a program that has ended by itself.
        SetControlText(ColumnValues, values.c_str());
    }

    PauseEnd Pause(int32_t interval) {
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

  private:
    void SampleCpu(MonitorState& state) {
        auto& sampler = state.ObservedProgram.Sampler;
        uint64_t kernel = 0;
        uint64_t user = 0;
        // A failed query counts as no time used since the last sample.
        const uint64_t used = times_.Read(&kernel, &user) ? kernel + user : sampler.LastProcessTime;
        auto& load = state.Readings.Row[CpuCurrent];
        load = SampleCpuLoad(sampler, used, GetTickCount(), load);
    }

    void SampleMemory(MonitorState& state) const {
        // Without the export the memory readings stay 0.
        const auto query = reinterpret_cast<MemoryInfoFunction>(state.MemoryInfoFunction);
        if (!query) return;
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (query(process_, &counters, sizeof counters))
            state.Readings.Row[RamCurrent] = static_cast<int64_t>(counters.WorkingSetSize);
    }

    HANDLE process_;
    HANDLE stop_;
    ProcessTimes times_;
};

} // namespace

uint32_t SamplingWorker(int32_t interval) {
    Watch watch(Monitor.ObservedProgram);
    return RunSamplingWorker(Monitor, watch, interval);
}
