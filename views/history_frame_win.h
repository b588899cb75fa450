// One look at a run's record, and the frame a picture of it is laid out
// from: what tells a picture that needs only a few strips drawn again
// (HistoryFrameOf, HistoryChanges) from one to draw whole.
#pragma once

#include <cstddef>
#include <cstdint>

#include "measure/history_columns.h"
#include "measure/run_record.h"
#include "views/history_paint_win.h"

// One look at the record: its facts, its last pass and how many it keeps.
struct Look {
    RunFacts Facts;
    RecordedPass Last{};
    size_t Kept = 0;
};

Look LookAt(const RunRecord& record);

inline HistoryFrame FrameOf(const Look& look, int32_t width, int32_t height, int32_t dpi,
                            int8_t language) {
    const RunFacts& facts = look.Facts;
    return {width,
            height,
            dpi,
            language,
            facts.StartTick,
            facts.CpuScale,
            facts.Extremes,
            HistorySpan(look.Last.Ms, !facts.Finished),
            facts.Passes - static_cast<int64_t>(look.Kept)};
}
