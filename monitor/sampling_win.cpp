// The sampling worker: once per interval the observed program's load and
// working set, the extremes, and the values column.
#include <windows.h>
#include <psapi.h>

#include "monitor/monitor_win.h"
#include "monitor/readings.h"
#include "services/process_times.h"
#include "toolkit/controls.h"

namespace {

using MemoryInfoFunction = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);

void SampleCpu() {
    auto& program = Monitor.ObservedProgram;
    uint64_t kernel = 0;
    uint64_t user = 0;
    // A failed query counts as no time used since the last sample.
    const uint64_t used =
        QueryProcessTimes(program.ProcessHandle, static_cast<uint32_t>(program.ProcessId), &kernel,
                          &user)
            ? kernel + user
            : program.Sampler.LastProcessTime;
    auto& load = Monitor.Readings.Row[CpuCurrent];
    load = SampleCpuLoad(program.Sampler, used, GetTickCount(), load);
}

void SampleMemory() {
    // Without the export the memory readings stay 0.
    const auto query = reinterpret_cast<MemoryInfoFunction>(Monitor.MemoryInfoFunction);
    if (!query) return;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (query(Monitor.ObservedProgram.ProcessHandle, &counters, sizeof counters))
        Monitor.Readings.Row[RamCurrent] = static_cast<int64_t>(counters.WorkingSetSize);
}

// A pass that overlaps the program's end reads nothing true: the times of
// its threads are gone and its working set is 0. Such a pass keeps the
// readings of the pass before, so the last figures shown are the program's.
bool ProcessEnded() {
    DWORD code = 0;
    return GetExitCodeProcess(Monitor.ObservedProgram.ProcessHandle, &code) && code != STILL_ACTIVE;
}

void UpdateReadings() {
    UpdateExtremes(Monitor.Readings, Monitor.ExtremesSeeded);
    Monitor.ValuesText = ValuesText(Monitor.Readings, Monitor.RowBreaks);
}

void ShowReadings() {
    // Handed over to the main thread, whose wait wakes for it: this is what
    // lets the main loop notice a program that has ended by itself.
    SetControlText(ColumnValues, Monitor.ValuesText.c_str());
}

} // namespace

uint32_t SamplingWorker(int32_t interval) {
    while (Monitor.Monitoring.load() == 1) {
        const Readings kept = Monitor.Readings;
        const CpuSampler keptSampler = Monitor.ObservedProgram.Sampler;
        SampleCpu();
        SampleMemory();
        if (ProcessEnded()) {
            Monitor.Readings = kept;
            Monitor.ObservedProgram.Sampler = keptSampler;
        } else {
            UpdateReadings();
        }
        ShowReadings();
        Sleep(static_cast<DWORD>(interval));
    }
    return 0;
}
