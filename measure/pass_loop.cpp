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
    StartCpuBaseline(tally.Sampler, static_cast<uint32_t>(startMs));
}

void AttachTally(PassTally& tally, const WatchReading& first) {
    tally.Before = first.Times;
    tally.Sampler.LastProcessTime = Total(first.Times);
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
    if (reading.PeakWorkingSet > 0)
        record.RaisePeakWorkingSet(std::max(reading.PeakWorkingSet, reading.WorkingSet));
    if (reading.PeakPrivate > 0) record.RaisePeakPrivateBytes(reading.PeakPrivate);
}

ShownPass TakePass(RunRecord& record, PassTally& tally, const WatchReading& reading,
                   uint64_t now, const PassPlan& plan) {
    TakeReading(record, tally, reading);
    // Measured on the whole-life total, whose growth is the pass's time.
    tally.Sampler.LastLoad = SampleCpuLoad(tally.Sampler, Total(reading.Times),
                                           static_cast<uint32_t>(now), tally.Sampler.LastLoad);
    if (reading.WorkingSet >= 0) tally.WorkingSet = reading.WorkingSet;
    // Past 49 days the time stays at the last the record can hold; a load
    // beyond 32 bits would take more processors than any system has.
    const uint64_t ms = now > tally.StartMs ? now - tally.StartMs : 0;
    const int64_t load = ScaledLoad(tally.Sampler.LastLoad, plan.CpuScale, plan.Processors);
    ShownPass shown;
    shown.Pass.Ms = static_cast<uint32_t>(std::min<uint64_t>(ms, UINT32_MAX));
    shown.Pass.Load = static_cast<int32_t>(std::min<int64_t>(load, INT32_MAX));
    shown.Pass.WorkingSet = tally.WorkingSet;
    shown.Load = tally.Sampler.LastLoad;
    record.Append(shown.Pass);
    return shown;
}
