// The sampling worker: once per interval the observed program's load and
// working set, the extremes, and the values column.
#include <windows.h>
#include <psapi.h>

#include <vector>

#include "monitor/monitor_win.h"
#include "monitor/readings.h"
#include "services/job.h"
#include "services/owned_handle.h"
#include "services/process_times.h"
#include "toolkit/controls.h"

namespace {

using MemoryInfoFunction = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);
constexpr DWORD JobMemberAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
// How long the summary waits for a terminated program to be gone.
constexpr DWORD FinalWaitMs = 2000;

MemoryInfoFunction MemoryQuery() {
    return reinterpret_cast<MemoryInfoFunction>(Monitor.MemoryInfoFunction);
}

void RaiseAtLeast(std::atomic<uint64_t>& kept, uint64_t value) {
    if (value > kept.load()) kept.store(value);
}

void RaiseAtLeast(std::atomic<int64_t>& kept, int64_t value) {
    if (value > kept.load()) kept.store(value);
}

// The load from the processor time used, kernel plus user, of the program or
// of its whole job.
void TakeLoad(uint64_t used) {
    auto& program = Monitor.ObservedProgram;
    auto& sampler = program.Sampler;
    sampler.LastLoad = SampleCpuLoad(sampler, used, GetTickCount(), sampler.LastLoad);
    Monitor.Readings.Row[CpuCurrent] = sampler.LastLoad;
    RaiseAtLeast(program.Summary.ProcessorTime, used);
}

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
    TakeLoad(used);
}

void SampleMemory() {
    // Without the export the memory readings stay 0.
    const auto query = MemoryQuery();
    if (!query) return;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (query(Monitor.ObservedProgram.ProcessHandle, &counters, sizeof counters)) {
        Monitor.Readings.Row[RamCurrent] = static_cast<int64_t>(counters.WorkingSetSize);
        RaiseAtLeast(Monitor.ObservedProgram.Summary.PeakWorkingSet,
                     static_cast<int64_t>(counters.PeakWorkingSetSize));
    }
}

// The job as one program: the time of all its processes, ended ones too,
// and the working sets of the live ones summed. Its peak is the sum of each
// process's own peak, kept for the ones that ended: an upper bound of the
// whole tree's peak that no peak between two passes can escape.
void SampleJob() {
    auto& program = Monitor.ObservedProgram;
    const std::vector<uint32_t> processes = JobProcessIds(program.Job);
    uint64_t used = 0;
    if (!QueryJobTimes(program.Job, processes, program.JobThreads, &used))
        used = program.Sampler.LastProcessTime;
    TakeLoad(used);

    const auto query = MemoryQuery();
    if (!query) return;
    int64_t workingSet = 0;
    std::vector<std::pair<uint32_t, uint64_t>> peaks;
    for (uint32_t id : processes) {
        OwnedHandle process(OpenProcess(JobMemberAccess, FALSE, id));
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (!process.valid() || !query(process.get(), &counters, sizeof counters)) continue;
        workingSet += static_cast<int64_t>(counters.WorkingSetSize);
        peaks.emplace_back(id, counters.PeakWorkingSetSize);
    }
    Monitor.Readings.Row[RamCurrent] = workingSet;
    RaiseAtLeast(program.Summary.PeakWorkingSet,
                 static_cast<int64_t>(SettleLedger(program.JobPeaks, peaks)));
}

// A pass that overlaps the program's end reads nothing true: the times of
// its threads are gone and its working set is 0. Such a pass keeps the
// readings of the pass before, so the last figures shown are the program's.
bool ProcessEnded() {
    const auto& program = Monitor.ObservedProgram;
    if (program.Job) return JobLiveProcesses(program.Job) == 0;
    DWORD code = 0;
    return GetExitCodeProcess(program.ProcessHandle, &code) && code != STILL_ACTIVE;
}

void UpdateReadings() {
    UpdateExtremes(Monitor.Readings, Monitor.ExtremesSeeded, Monitor.Options.CpuScale,
                   Monitor.ProcessorCount);
    Monitor.ValuesText = ValuesText(Monitor.Readings, Monitor.RowBreaks);
}

void ShowReadings() {
    // Handed over to the main thread, whose wait wakes for it: this is what
    // lets the main loop notice a program that has ended by itself.
    SetControlText(ColumnValues, Monitor.ValuesText.c_str());
}

// The row of the pass just shown, so the log holds what the window showed.
void LogReadings() {
    auto& summary = Monitor.ObservedProgram.Summary;
    if (!Monitor.ObservedProgram.LogHandle) return;
    const uint64_t now = GetTickCount64();
    // A program that ended before the first pass showed nothing to log.
    if (Monitor.ValuesText.empty()) return;
    WriteReadingLog(LogRowLine(LocalLogTime(), now - summary.StartTick, Monitor.Readings));
}

void SamplePass() {
    const Readings kept = Monitor.Readings;
    const CpuSampler keptSampler = Monitor.ObservedProgram.Sampler;
    if (Monitor.ObservedProgram.Job) {
        SampleJob();
    } else {
        SampleCpu();
        SampleMemory();
    }
    if (ProcessEnded()) {
        NoteProgramEnd();
        Monitor.Readings = kept;
        Monitor.ObservedProgram.Sampler = keptSampler;
    } else {
        UpdateReadings();
    }
}

} // namespace

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
    // One more reading where the system keeps figures after the end: the
    // times of an ended process, a job's accounting. What cannot be read
    // any more keeps what the passes saw.
    if (program.Job) {
        uint64_t used = 0;
        if (QueryJobTimes(program.Job, JobProcessIds(program.Job), program.JobThreads, &used))
            RaiseAtLeast(summary.ProcessorTime, used);
    } else {
        uint64_t kernel = 0;
        uint64_t user = 0;
        if (QueryProcessTimes(program.ProcessHandle, static_cast<uint32_t>(program.ProcessId),
                              &kernel, &user))
            RaiseAtLeast(summary.ProcessorTime, kernel + user);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        const auto query = MemoryQuery();
        if (query && query(program.ProcessHandle, &counters, sizeof counters))
            RaiseAtLeast(summary.PeakWorkingSet, static_cast<int64_t>(counters.PeakWorkingSetSize));
    }
    summary.Ended = true;
}

uint32_t SamplingWorker(int32_t interval) {
    while (Monitor.Monitoring.load() == 1) {
        SamplePass();
        ShowReadings();
        LogReadings();
        Monitor.ObservedProgram.Summary.Passes.fetch_add(1);
        Sleep(static_cast<DWORD>(interval));
    }
    return 0;
}
