#include "monitor/run_record.h"

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

TEST(RunRecord, KeepsPassesInBlocksThatNeverMoveAndTheExtremesFromTheFirstPass) {
    RunRecord record(64, 3);
    record.Begin(1000, 2, 500);
    EXPECT_FALSE(record.Facts().Extremes.Seeded);
    record.Append({0, 50, 9000});
    std::vector<const RecordedPass*> before;
    Kept(record, &before);
    const Passes more = {
        {10, 70, 8000}, {20, 20, 9500}, {30, 20, 7000}, {40, 250, 9500}, {50, 60, 8500}};
    Append(record, more);
    std::vector<const RecordedPass*> blocks;
    Passes all = {{0, 50, 9000}};
    all.insert(all.end(), more.begin(), more.end());
    EXPECT_EQ(Kept(record, &blocks), all);
    ASSERT_EQ(blocks.size(), 2u); // three passes a block
    EXPECT_EQ(blocks[0], before[0]) << "a block never moves";
    const RunFacts facts = record.Facts();
    EXPECT_EQ(facts.Passes, 6);
    EXPECT_TRUE(facts.Extremes.Seeded);
    EXPECT_EQ(facts.Extremes.LoadMinimum, 20);
    EXPECT_EQ(facts.Extremes.LoadMaximum, 250);
    EXPECT_EQ(facts.Extremes.WorkingSetMinimum, 7000);
    EXPECT_EQ(facts.Extremes.WorkingSetMaximum, 9500);
    EXPECT_EQ(facts.StartTick, 1000u);
    EXPECT_EQ(facts.CpuScale, 2);
    EXPECT_EQ(facts.IntervalMs, 500);
}

TEST(RunRecord, PeaksOnlyRiseTheFirstEndCountsAndBeginClears) {
    RunRecord record(8, 2);
    record.Begin(100, 0, 1000);
    EXPECT_EQ(record.Facts().PeakWorkingSet, -1); // never measured
    EXPECT_EQ(record.Facts().PeakPrivateBytes, -1);
    record.RaisePeakWorkingSet(0); // a true 0 is measured
    EXPECT_EQ(record.Facts().PeakWorkingSet, 0);
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
    RunFacts facts = record.Facts();
    EXPECT_EQ(facts.PeakWorkingSet, 7000);
    EXPECT_EQ(facts.PeakPrivateBytes, 14000);
    EXPECT_EQ(facts.ProcessorTime, 70000u);
    EXPECT_EQ(facts.EndTick, 900u);
    EXPECT_TRUE(facts.Finished);
    EXPECT_EQ(facts.ExitCode, 0xC0000005);

    record.Begin(2000, 1, 250);
    facts = record.Facts();
    EXPECT_EQ(record.KeptPasses(), 0u);
    EXPECT_TRUE(Kept(record).empty());
    EXPECT_EQ(facts.Passes, 0);
    EXPECT_FALSE(facts.Extremes.Seeded);
    EXPECT_FALSE(facts.Finished);
    EXPECT_EQ(facts.EndTick, 0u);
    EXPECT_EQ(facts.PeakWorkingSet, -1);
    EXPECT_EQ(facts.ProcessorTime, 0u);
    EXPECT_EQ(facts.StartTick, 2000u);
    record.Append({5, 3, 3}); // the new run seeds its extremes afresh
    EXPECT_EQ(record.Facts().Extremes.LoadMaximum, 3);
}

TEST(RunRecord, ThinningKeepsEachStretchsExtremesAtTheirTimes) {
    RunRecord record(8, 3);
    record.Begin(0, 2, 1000);
    // A varying load, then a flat one whose working set decides the times.
    Append(record, {{0, 5, 300},
                    {1, 9, 100},
                    {2, 1, 400},
                    {3, 5, 200},
                    {4, 3, 10},
                    {5, 3, 50},
                    {6, 3, 5},
                    {7, 3, 20},
                    {8, 4, 4}});
    EXPECT_EQ(Kept(record), (Passes{{1, 9, 400}, {2, 1, 100}, {5, 3, 50}, {6, 3, 5}, {8, 4, 4}}));

    // A day at 1 s into 8 kept passes: a one-pass spike and dip survive, the
    // times stay in order, the extremes stay exact.
    record.Begin(0, 2, 1000);
    for (uint32_t ms = 0; ms < 86'400; ++ms) {
        const int32_t load = ms == 51'234 ? 900 : ms == 70'001 ? -1 : 40;
        record.Append({ms, load, 1000 + ms % 7});
    }
    const Passes kept = Kept(record);
    ASSERT_LE(kept.size(), 8u);
    ASSERT_GE(kept.size(), 4u);
    int64_t top = 0;
    int64_t bottom = 0;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) {
            EXPECT_LE(kept[i - 1][0], kept[i][0]);
        }
        top = std::max(top, kept[i][1]);
        bottom = std::min(bottom, kept[i][1]);
        if (kept[i][1] == 900) {
            EXPECT_EQ(kept[i][0], 51'234);
        }
    }
    EXPECT_EQ(top, 900);
    EXPECT_EQ(bottom, -1);
    const RunFacts facts = record.Facts();
    EXPECT_EQ(facts.Passes, 86'400);
    EXPECT_EQ(facts.Extremes.WorkingSetMaximum, 1006);
    EXPECT_EQ(facts.Extremes.WorkingSetMinimum, 1000);
}

TEST(RunRecord, AWeekAtOneSecondIsKeptWholeUnderTenMegabytes) {
    RunRecord record;
    record.Begin(0, 0, 1000);
    constexpr uint32_t week = 7 * 24 * 3600;
    for (uint32_t s = 0; s < week; ++s)
        record.Append({s * 1000, 1, 1});
    EXPECT_EQ(record.KeptPasses(), week);
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
