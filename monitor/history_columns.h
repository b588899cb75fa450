// The passes of a run folded into the pixel columns of a plot. A column
// keeps the smallest and the largest reading of every pass it covers, so a
// single spike in a day-long run still shows however narrow the plot is.
// Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "monitor/run_record.h"

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

// The time the axis of a run reaches: its last pass, at least 1 ms.
uint32_t HistorySpan(uint32_t lastPassMs);
