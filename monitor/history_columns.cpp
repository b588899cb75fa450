#include "monitor/history_columns.h"

#include <algorithm>

namespace {

void Take(HistoryColumn& column, int64_t value) {
    if (!column.Any) {
        column = {true, value, value, value, value};
        return;
    }
    column.Low = std::min(column.Low, value);
    column.High = std::max(column.High, value);
    column.Last = value;
}

} // namespace

HistoryColumns::HistoryColumns(int32_t columns, uint32_t spanMs)
    : span(spanMs ? spanMs : 1), load(static_cast<size_t>(std::max(columns, 0))),
      workingSet(load.size()) {}

int32_t HistoryColumns::ColumnOf(uint32_t ms) const {
    const auto count = static_cast<int64_t>(load.size());
    if (count == 0) return -1;
    const int64_t column = static_cast<int64_t>(ms) * count / span;
    return static_cast<int32_t>(std::min(column, count - 1));
}

void HistoryColumns::Add(const RecordedPass* first, size_t count) {
    if (load.empty()) return;
    for (size_t i = 0; i < count; ++i) {
        const auto column = static_cast<size_t>(ColumnOf(first[i].Ms));
        Take(load[column], first[i].Load);
        Take(workingSet[column], first[i].WorkingSet);
    }
}

uint32_t HistorySpan(uint32_t lastPassMs) {
    return lastPassMs ? lastPassMs : 1;
}
