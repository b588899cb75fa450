#include "measure/run_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace {

using Pass = std::array<int64_t, 3>; // time, load, working set
using Passes = std::vector<Pass>;

void Append(RunRecord& record, const Passes& passes) {
    for (const Pass& p : passes)
        record.Append({static_cast<uint32_t>(p[0]), static_cast<int32_t>(p[1]), p[2]});
}

// The kept passes; blocks: where each block starts.
Passes Kept(const RunRecord& record, std::vector<const RecordedPass*>* blocks = nullptr) {
    Passes passes;
    record.ForEachBlock([&](const RecordedPass* first, size_t count) {
        for (size_t i = 0; i < count; ++i)
            passes.push_back({first[i].Ms, first[i].Load, first[i].WorkingSet});
        if (blocks) blocks->push_back(first);
    });
    return passes;
}

// Every fact of a run in one row: start, end, finished, exit code,
// processor time, the two peaks, passes, scale, interval, then the extremes
// (seeded, load minimum and maximum, working set minimum and maximum).
std::vector<int64_t> Row(const RunFacts& f) {
    const RunExtremes& e = f.Extremes;
    return {static_cast<int64_t>(f.StartTick),
            static_cast<int64_t>(f.EndTick),
            f.Finished,
            f.ExitCode,
            static_cast<int64_t>(f.ProcessorTime),
            f.PeakWorkingSet,
            f.PeakPrivateBytes,
            f.Passes,
            f.CpuScale,
            f.IntervalMs,
            e.Seeded,
            e.LoadMinimum,
            e.LoadMaximum,
            e.WorkingSetMinimum,
            e.WorkingSetMaximum};
}

TEST(RunRecord, KeepsPassesInBlocksThatNeverMoveAndTheExtremesFromTheFirstPass) {
    RunRecord record(64, 3);
    record.Begin(1000, 2, 500);
    const Passes passes = {{0, 50, 9000},  {10, 70, 8000},  {20, 20, 9500},
                           {30, 20, 7000}, {40, 250, 9500}, {50, 60, 8500}};
    Append(record, {passes[0]});
    std::vector<const RecordedPass*> before;
    Kept(record, &before);
    Append(record, Passes(passes.begin() + 1, passes.end()));
    std::vector<const RecordedPass*> blocks;
    EXPECT_EQ(Kept(record, &blocks), passes);
    ASSERT_EQ(blocks.size(), 2u); // three passes a block
    EXPECT_EQ(blocks[0], before[0]) << "a block never moves";
    EXPECT_EQ(Row(record.Facts()),
              (std::vector<int64_t>{1000, 0, 0, 0, 0, -1, -1, 6, 2, 500, 1, 20, 250, 7000, 9500}));
}

TEST(RunRecord, PeaksOnlyRiseTheFirstEndCountsAndBeginClears) {
    RunRecord record(8, 2);
    record.Begin(100, 0, 1000);
    for (int64_t bytes : {5000, 3000, 7000, 6000}) {
        record.RaisePeakWorkingSet(bytes);
        record.RaisePeakPrivateBytes(bytes * 2);
        record.RaiseProcessorTime(static_cast<uint64_t>(bytes) * 10);
    }
    record.NoteEnd(800);
    record.ForgetEnd(); // it outlived a quit
    record.NoteEnd(900);
    record.NoteEnd(950);
    for (int32_t i = 0; i < 20; ++i)
        record.Append({static_cast<uint32_t>(i), i, i});
    record.Finish(0xC0000005);
    EXPECT_EQ(Row(record.Facts()), (std::vector<int64_t>{100, 900, 1, 0xC0000005, 70000, 7000,
                                                         14000, 20, 0, 1000, 1, 0, 19, 0, 19}));
    record.Begin(2000, 1, 250);
    EXPECT_TRUE(Kept(record).empty());
    EXPECT_EQ(Row(record.Facts()),
              (std::vector<int64_t>{2000, 0, 0, 0, 0, -1, -1, 0, 1, 250, 0, 0, 0, 0, 0}));
    record.Append({5, 3, 3});      // the new run seeds its extremes afresh
    record.RaisePeakWorkingSet(0); // a true 0 is a reading
    EXPECT_EQ(Row(record.Facts()),
              (std::vector<int64_t>{2000, 0, 0, 0, 0, 0, -1, 1, 1, 250, 1, 3, 3, 3, 3}));
}

TEST(RunRecord, ThinningKeepsEachStretchsExtremesAtTheirTimes) {
    RunRecord record(8, 3);
    record.Begin(0, 2, 1000);
    // A varying load, then a flat one whose working set decides the times.
    Append(record, {{0, 5, 300}, {1, 9, 100}, {2, 1, 400}, {3, 5, 200}});
    Append(record, {{4, 3, 10}, {5, 3, 50}, {6, 3, 5}, {7, 3, 20}, {8, 4, 4}});
    EXPECT_EQ(Kept(record), (Passes{{1, 9, 400}, {2, 1, 100}, {5, 3, 50}, {6, 3, 5}, {8, 4, 4}}));

    // A day at 1 s into 8 kept passes: a one-pass spike and dip survive at
    // their times, the passes stay in order, the extremes stay exact.
    record.Begin(0, 2, 1000);
    for (uint32_t ms = 0; ms < 86'400; ++ms)
        record.Append({ms, ms == 51'234 ? 900 : ms == 70'001 ? -1 : 40, 1000 + ms % 7});
    const Passes kept = Kept(record);
    ASSERT_TRUE(kept.size() >= 4 && kept.size() <= 8) << kept.size();
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
    const auto [low, high] = std::minmax_element(
        kept.begin(), kept.end(), [](const Pass& a, const Pass& b) { return a[1] < b[1]; });
    EXPECT_EQ(*high, (Pass{51'234, 900, (*high)[2]}));
    EXPECT_EQ(*low, (Pass{70'001, -1, (*low)[2]}));
    EXPECT_EQ(Row(record.Facts()), (std::vector<int64_t>{0, 0, 0, 0, 0, -1, -1, 86'400, 2, 1000, 1,
                                                         -1, 900, 1000, 1006}));
}

TEST(RunRecord, ReadersSeeWholeOrderedPassesWhileTheWorkerAppendsAndThins) {
    RunRecord record(16, 4);
    record.Begin(0, 0, 1);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (uint32_t ms = 0; ms < 50'000; ++ms)
            record.Append({ms, static_cast<int32_t>(ms), static_cast<int64_t>(ms) * 2});
        done = true;
    });
    size_t visits = 0;
    while (!done) {
        const Passes kept = Kept(record);
        ASSERT_LE(kept.size(), 16u);
        for (size_t i = 1; i < kept.size(); ++i)
            ASSERT_LE(kept[i - 1][0], kept[i][0]);
        ++visits;
    }
    worker.join();
    EXPECT_GT(visits, 0u);
    EXPECT_EQ(record.Facts().Passes, 50'000);
}

} // namespace
