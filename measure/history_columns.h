// The passes of a run folded into the pixel columns of a plot. A column
// keeps the smallest and the largest reading of every pass it covers, so a
// single spike in a day-long run still shows however narrow the plot is.
// Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "measure/run_record.h"

struct HistoryColumn {
    bool Any = false; // no pass fell into the column
    int64_t Low = 0;
    int64_t High = 0;
    int64_t First = 0; // the first and the last reading, to join the neighbours
    int64_t Last = 0;
};

// The two series of a run over one time axis: from the start of the run
// (0 ms) to spanMs, split evenly into the given number of columns.
class HistoryColumns {
  public:
    HistoryColumns(int32_t columns, uint32_t spanMs);

    // Passes in the order of the run, as the record hands out its blocks.
    void Add(const RecordedPass* first, size_t count);

    // The column a moment of the run falls into; past the span, the last.
    int32_t ColumnOf(uint32_t ms) const;

    const std::vector<HistoryColumn>& Load() const { return load; }
    const std::vector<HistoryColumn>& WorkingSet() const { return workingSet; }

  private:
    uint32_t span;
    std::vector<HistoryColumn> load;
    std::vector<HistoryColumn> workingSet;
};

// The time the axis of a run reaches. While the program runs: the first
// round end at or past its last pass (10 s, 20 s, 30 s, 1 min, 2 min, ...,
// 24 h, then whole days), so that the axis holds still for many passes and a
// new pass only lengthens the lines. Once it has ended: its last pass
// exactly, at least 1 ms, so the finished run fills the plot.
uint32_t HistorySpan(uint32_t lastPassMs, bool running);
