// A pass's processor load from the growth of the processor time, and the
// scale it is shown on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "measure/reading_types.h"

// Starts an observation's baseline: the new process has used no processor
// time yet at tickBeforeLaunch, the tick count taken just before the launch.
void StartCpuBaseline(CpuSampler& sampler, uint32_t tickBeforeLaunch);

// One processor sample. processTime is the process's kernel plus user time in
// 100 ns units, tick the tick count in ms. When the ticks moved forward the
// load is (time growth / tick growth) / 100, truncated; otherwise (same tick)
// previousLoad stays. The sampler always takes the
// new figures. The result is not clamped yet.
int64_t SampleCpuLoad(CpuSampler& sampler, uint64_t processTime, uint32_t tick,
                      int64_t previousLoad);

// The load in percent of one processor as the CpuScale setting shows it:
// CpuScaleOneClamped limits it to 0..100; CpuScaleMachine divides it by the
// number of processors (truncated) and limits it to 0..100; CpuScaleOneOpen
// only lifts a negative load to 0. Any other scale counts as
// CpuScaleOneClamped; fewer than one processor counts as one.
int64_t ScaledLoad(int64_t load, int8_t scale, int32_t processors);

// The shortest span a pass's load is measured over. Processor times grow in
// the system's clock ticks (15.625 ms on Windows, 10 ms under Wine), so over
// 50 ms a thread busy all along reads 94 % or 125 %; over 250 ms one tick
// more or less moves a busy thread's load by 6 % at most.
constexpr uint64_t LoadSpan100ns = 250 * 10'000;

// A moment of the run as the loads see it.
struct LoadPoint {
    uint64_t Used = 0;  // processor time since watching began, 100 ns
    uint64_t Clock = 0; // the fine clock, 100 ns; 0: not read (the start)
    uint64_t Ms = 0;    // the passes' clock
    uint64_t Span = 0;  // the time the loads of its chain cover (below)
};

// The load of each pass: from the latest earlier pass at least LoadSpan100ns
// before it (the start when there is none) to the pass, timed by the fine
// clock where both ends have it. At intervals of 250 ms or more that is the
// pass before. Followed back from the last pass, each load's span begins
// where the load of an earlier pass ends, down to the start: these loads
// cover the time up to the last pass once, so their mean, the Average, lies
// between the smallest and the largest load of the passes.
class PassLoads {
  public:
    // Watching begins at ms (and clock, 0 when not read): nothing used yet.
    void Begin(uint64_t ms, uint64_t clock) {
        points_[0] = {0, clock, ms, 0};
        count_ = 1;
        last_ = 0;
    }
    // In percent of one processor, truncated, at most cap (100 for each
    // processor: a tick more than a span held cannot be load); a pass whose
    // span took no time keeps the load before.
    int64_t Take(LoadPoint point, int64_t cap);
    // The mean of the loads up to the last pass, at most cap; 0 before it.
    int64_t Average(int64_t cap) const;

  private:
    static constexpr size_t Kept = 8; // passes at 50 ms cover 350 ms
    LoadPoint points_[Kept];
    size_t count_ = 1; // oldest first
    int64_t last_ = 0;
};
