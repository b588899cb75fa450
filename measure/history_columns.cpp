#include "measure/history_columns.h"

#include <algorithm>
#include <array>
#include <limits>

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
        if (first[i].WorkingSet >= 0) Take(workingSet[column], first[i].WorkingSet);
    }
}

uint32_t HistorySpan(uint32_t lastPassMs, bool running) {
    if (!running) return std::max<uint32_t>(lastPassMs, 1);
    constexpr uint64_t Second = 1000;
    constexpr uint64_t Minute = 60 * Second;
    constexpr uint64_t Hour = 60 * Minute;
    constexpr uint64_t Day = 24 * Hour;
    static constexpr std::array<uint64_t, 19> ends = {
        10 * Second, 20 * Second, 30 * Second, 1 * Minute,  2 * Minute,  3 * Minute, 5 * Minute,
        10 * Minute, 15 * Minute, 20 * Minute, 30 * Minute, 1 * Hour,    2 * Hour,   3 * Hour,
        4 * Hour,    6 * Hour,    8 * Hour,    12 * Hour,   Day};
    for (const uint64_t end : ends)
        if (lastPassMs <= end) return static_cast<uint32_t>(end);
    const uint64_t days = (uint64_t{lastPassMs} + Day - 1) / Day * Day;
    return static_cast<uint32_t>(std::min<uint64_t>(days, std::numeric_limits<uint32_t>::max()));
}
