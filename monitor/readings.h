// The arithmetic of the readings: processor load from time growth, the
// extremes, and the digit-grouped values column.
#pragma once

#include <cstdint>

#include "measure/load.h"
#include "monitor/state.h"

// Puts the current load on its scale, seeds the minimums on the first pass
// (seeded 0 -> 1), and widens the extremes with strict comparisons.
void UpdateExtremes(Readings& readings, std::atomic<int8_t>& seeded,
                    int8_t scale = CpuScaleOneClamped, int32_t processors = 1);

// The six readings grouped, each followed by its row break.
Text ValuesText(const Readings& readings, const std::array<Text, ReadingRows>& rowBreaks);
