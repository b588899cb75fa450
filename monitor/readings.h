// The arithmetic of the readings: processor load from time growth, the
// extremes, and the digit-grouped values column.
#pragma once

#include <cstdint>

#include "monitor/state.h"

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

// Puts the current load on its scale, seeds the minimums on the first pass
// (seeded 0 -> 1), and widens the extremes with strict comparisons.
void UpdateExtremes(Readings& readings, std::atomic<int8_t>& seeded,
                    int8_t scale = CpuScaleOneClamped, int32_t processors = 1);

// The decimal text of value with a dot between groups of three digits counted
// from the right; a negative value is its grouped magnitude after a minus sign.
Text GroupDigits(int64_t value);

// The six readings grouped, each followed by its row break.
Text ValuesText(const Readings& readings, const std::array<Text, ReadingRows>& rowBreaks);
