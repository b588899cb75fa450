#include "measure/pass_loop.h"

#include <algorithm>

namespace {

uint64_t Total(const CpuTimes& times) {
    return times.Kernel + times.User;
}

} // namespace

void BeginTally(PassTally& tally, uint64_t startMs) {
    tally = {};
    tally.StartMs = startMs;
    tally.Loads.Begin(startMs, 0);
}

void AttachTally(PassTally& tally, const WatchReading& first) {
    tally.Before = first.Times;
    tally.Loads.Begin(tally.StartMs, first.Clock);
}

void TakeReading(RunRecord& record, PassTally& tally, const WatchReading& reading) {
    // A reader may lose an ended thread's time: a total that shrank is kept
    // from the reading before.
    if (Total(reading.Times) >= Total(tally.Before) + Total(tally.Times)) {
        const CpuTimes& before = tally.Before;
        tally.Times = {reading.Times.Kernel - std::min(before.Kernel, reading.Times.Kernel),
                       reading.Times.User - std::min(before.User, reading.Times.User)};
    }
    record.RaiseProcessorTime(Total(tally.Times));
    // The peak is at least the working set read with it.
    const int64_t peak = std::max(reading.PeakWorkingSet, reading.WorkingSet);
    if (peak > 0) record.RaisePeakWorkingSet(peak);
    if (reading.PeakPrivate > 0) record.RaisePeakPrivateBytes(reading.PeakPrivate);
}

ShownPass TakePass(RunRecord& record, PassTally& tally, const WatchReading& reading,
                   uint64_t now, const PassPlan& plan) {
    TakeReading(record, tally, reading);
    // A load beyond 32 bits would take more processors than any system has.
    const int64_t cap = 100 * std::max(plan.Processors, 1);
    const int64_t load = tally.Loads.Take({Total(tally.Times), reading.Clock, now, 0}, cap);
    const auto scaled = [&plan](int64_t value) {
        return static_cast<int32_t>(ScaledLoad(value, plan.CpuScale, plan.Processors));
    };
    // Past 49 days the time stays at the last the record can hold.
    const uint64_t ms = now > tally.StartMs ? now - tally.StartMs : 0;
    ShownPass shown;
    shown.Pass.Ms = static_cast<uint32_t>(std::min<uint64_t>(ms, UINT32_MAX));
    shown.Pass.Load = scaled(load);
    shown.Pass.WorkingSet = reading.WorkingSet;
    shown.Load = load;
    record.Append(shown.Pass, scaled(tally.Loads.Average(cap)));
    return shown;
}
