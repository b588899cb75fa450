// A pass's processor load from the growth of the processor time, and the
// scale it is shown on.
#pragma once

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
