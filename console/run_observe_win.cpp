#include "console/run_observe_win.h"

#include <algorithm>

#include "monitor/reading_log.h"
#include "monitor/readings.h"

namespace {

// The window's worker takes its first pass 250 ms after the start.
constexpr uint64_t FirstPassMs = 250;

LogTime LocalLogTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

// The times and peaks of a reading into the record; the times kept only
// when they have not shrunk (a reader may lose an ended thread's time).
void Raise(RunRecord& record, const WatchReading& reading, Observed& observed) {
    const uint64_t total = reading.Times.Kernel + reading.Times.User;
    if (total >= observed.Times.Kernel + observed.Times.User) observed.Times = reading.Times;
    record.RaiseProcessorTime(total);
    if (reading.PeakWorkingSet >= 0)
        record.RaisePeakWorkingSet(std::max(reading.PeakWorkingSet, reading.WorkingSet));
    if (reading.PeakPrivate >= 0) record.RaisePeakPrivateBytes(reading.PeakPrivate);
}

void LogPass(RunLog& log, const RunRecord& record, const RecordedPass& pass) {
    const RunExtremes extremes = record.Facts().Extremes;
    Readings readings;
    readings.Row[CpuCurrent] = pass.Load;
    readings.Row[CpuMinimum] = extremes.LoadMinimum;
    readings.Row[CpuMaximum] = extremes.LoadMaximum;
    readings.Row[RamCurrent] = pass.WorkingSet;
    readings.Row[RamMinimum] = extremes.WorkingSetMinimum;
    readings.Row[RamMaximum] = extremes.WorkingSetMaximum;
    log.Write(LogRowLine(LocalLogTime(), pass.Ms, readings));
}

} // namespace

Observed Observe(RunRecord& record, RunWatch& watch, const ObserveSetup& setup) {
    Observed observed;
    CpuSampler sampler;
    StartCpuBaseline(sampler, static_cast<uint32_t>(setup.StartTick));
    if (!setup.Launched) {
        // The time it used before watching began is no load of the run.
        const WatchReading first = watch.Read();
        sampler.LastProcessTime = first.Times.Kernel + first.Times.User;
        observed.Before = sampler.LastProcessTime;
        Raise(record, first, observed);
    }
    const auto interval = static_cast<uint64_t>(setup.IntervalMs);
    uint64_t next = setup.StartTick + std::min(FirstPassMs, interval);
    int64_t workingSet = 0;
    for (;;) {
        const WatchWait wait = watch.Pause(setup.Stop, next);
        if (wait != WatchWait::Interval) {
            observed.Ended = wait == WatchWait::Ended;
            break;
        }
        const WatchReading reading = watch.Read();
        // A pass that overlaps the end reads nothing true: it is not kept.
        if (watch.Ended()) {
            observed.Ended = true;
            break;
        }
        Raise(record, reading, observed);
        const uint64_t now = GetTickCount64();
        sampler.LastLoad = SampleCpuLoad(sampler, reading.Times.Kernel + reading.Times.User,
                                         static_cast<uint32_t>(now), sampler.LastLoad);
        if (reading.WorkingSet >= 0) workingSet = reading.WorkingSet;
        RecordedPass pass;
        pass.Ms = static_cast<uint32_t>(now - setup.StartTick);
        pass.Load = static_cast<int32_t>(
            ScaledLoad(sampler.LastLoad, setup.CpuScale, setup.Processors));
        pass.WorkingSet = workingSet;
        record.Append(pass);
        if (setup.Log) LogPass(*setup.Log, record, pass);
        // The pace of the interval from the start; a pass that took longer
        // than one skips the times it missed.
        while (next <= now)
            next += interval;
    }
    observed.EndTick = GetTickCount64();
    if (observed.Ended) record.NoteEnd(observed.EndTick);
    return observed;
}

void ReadAfterEnd(RunRecord& record, RunWatch& watch, Observed& observed) {
    Raise(record, watch.Read(true), observed);
}
