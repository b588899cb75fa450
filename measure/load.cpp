#include "measure/load.h"

#include <algorithm>

void StartCpuBaseline(CpuSampler& sampler, uint32_t tickBeforeLaunch) {
    sampler.LastProcessTime = 0;
    sampler.LastTickCount = tickBeforeLaunch;
}

int64_t SampleCpuLoad(CpuSampler& sampler, uint64_t processTime, uint32_t tick,
                      int64_t previousLoad) {
    // Unsigned subtraction measures across the wrap of the tick count (every
    // 49.7 days); read as signed, two samples within one tick give 0 and keep
    // the last load.
    const auto elapsed = static_cast<int32_t>(tick - sampler.LastTickCount);
    int64_t load = previousLoad;
    if (elapsed > 0) {
        // Signed: the summed thread times can shrink when a thread ends.
        const auto used = static_cast<int64_t>(processTime - sampler.LastProcessTime);
        load = used / elapsed / 100;
    }
    sampler.LastProcessTime = processTime;
    sampler.LastTickCount = tick;
    return load;
}

int64_t ScaledLoad(int64_t load, int8_t scale, int32_t processors) {
    if (load < 0) return 0;
    if (scale == CpuScaleOneOpen) return load;
    // Dividing the truncated percent again truncates as dividing the exact
    // load would: floor(floor(x) / n) is floor(x / n).
    if (scale == CpuScaleMachine && processors > 1) load /= processors;
    return load > 100 ? 100 : load;
}

namespace {

uint64_t Between(const LoadPoint& from, const LoadPoint& to) {
    if (from.Clock && to.Clock) return to.Clock > from.Clock ? to.Clock - from.Clock : 0;
    return to.Ms > from.Ms ? (to.Ms - from.Ms) * 10'000 : 0;
}

// Exact up to 580 years of processor time.
int64_t Percent(uint64_t used, uint64_t span, int64_t cap) {
    const auto load = static_cast<int64_t>(used * 100 / span);
    return load < cap ? load : cap;
}

} // namespace

int64_t PassLoads::Take(LoadPoint point, int64_t cap) {
    size_t from = count_ - 1;
    while (from > 0 && Between(points_[from], point) < LoadSpan100ns)
        --from;
    const LoadPoint& start = points_[from];
    const uint64_t span = Between(start, point);
    if (span > 0) last_ = Percent(point.Used - start.Used, span, cap);
    point.Span = start.Span + span;
    if (count_ == Kept) std::copy(points_ + 1, points_ + Kept, points_);
    points_[count_ < Kept ? count_++ : Kept - 1] = point;
    return last_;
}

int64_t PassLoads::Average(int64_t cap) const {
    const LoadPoint& last = points_[count_ - 1];
    return last.Span ? Percent(last.Used, last.Span, cap) : 0;
}
