#include "views/history_frame_win.h"

#include <algorithm>
#include <vector>

Look LookAt(const RunRecord& record) {
    Look look;
    record.ForEachBlock([&look](const RecordedPass* first, size_t count) {
        look.Last = first[count - 1];
        look.Kept += count;
    });
    // After the passes: every pass counted there is counted in the facts.
    look.Facts = record.Facts();
    return look;
}

HistoryFrame HistoryFrameOf(const RunRecord& record, int32_t width, int32_t height, int32_t dpi,
                            int8_t language, RecordedPass* last) {
    const Look look = LookAt(record);
    if (last) *last = look.Last;
    return FrameOf(look, width, height, dpi, language);
}

std::vector<RECT> HistoryChanges(const HistoryPicture& picture, const RecordedPass& last) {
    std::vector<RECT> changes;
    // A program at rest reads the same each pass: its rows stay as they are.
    const bool rowChanged[2] = {last.Load != picture.Last.Load,
                                last.WorkingSet != picture.Last.WorkingSet};
    for (int plotIndex = 0; plotIndex < 2; ++plotIndex) {
        const RECT& plot = picture.Plots[plotIndex];
        const HistoryColumns columns(plot.right - plot.left, picture.Frame.SpanMs);
        const int32_t was = columns.ColumnOf(picture.Last.Ms);
        const int32_t now = columns.ColumnOf(last.Ms);
        changes.push_back({plot.left + std::min(was, now) - picture.Reach, plot.top - picture.Reach,
                           plot.left + std::max(was, now) + picture.Reach + 1,
                           plot.bottom + picture.Reach});
        // The row of the current value ends above where a line can reach.
        if (rowChanged[plotIndex])
            changes.push_back({0, plot.top - picture.HeaderHeight, picture.Frame.Width,
                               plot.top - picture.HeaderGap});
    }
    return changes;
}
