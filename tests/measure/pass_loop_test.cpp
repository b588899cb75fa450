#include "measure/pass_loop.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/measure/fake_watch.h"

namespace {

struct FakeShow {
    const RunRecord* record = nullptr;
    std::vector<ShownPass> shown;
    std::vector<int64_t> keptWhenShown; // what a view woken by the pass finds
    int ends = 0;
    void Pass(const ShownPass& pass) {
        shown.push_back(pass);
        keptWhenShown.push_back(record->Facts().Passes);
    }
    void Ended() { ++ends; }
};

struct Observed {
    RunRecord record;
    PassTally tally;
    FakeShow show;
    PassPlan plan;

    explicit Observed(uint64_t start = 1000, int32_t interval = 1000) {
        record.Begin(start, 0, interval);
        BeginTally(tally, start);
        plan.IntervalMs = interval;
        plan.FirstPass = start + FirstPassMs;
        show.record = &record;
    }
    void Watch(FakeWatch& watch) { RunPasses(record, tally, watch, show, plan); }
    std::vector<uint32_t> Times() const {
        std::vector<uint32_t> ms;
        record.ForEachBlock([&](const RecordedPass* first, size_t count) {
            for (size_t i = 0; i < count; ++i)
                ms.push_back(first[i].Ms);
        });
        return ms;
    }
};

// Passes at the interval's pace from the first, each in the record before it
// is shown; the end between two passes ends the loop at once, told once.
TEST(PassLoop, KeepsThePaceAndEndsBetweenPasses) {
    Observed run;
    FakeWatch watch;
    watch.endsAt = 4000;
    watch.readTakesMs = 30; // a slow pass does not push the later ones
    run.Watch(watch);
    EXPECT_EQ(run.Times(), (std::vector<uint32_t>{250, 1250, 2250}));
    EXPECT_EQ(run.show.keptWhenShown, (std::vector<int64_t>{1, 2, 3}));
    ASSERT_EQ(run.show.shown.size(), 3u);
    for (const ShownPass& shown : run.show.shown) {
        EXPECT_EQ(shown.Pass.Load, 10);
        EXPECT_EQ(shown.Pass.WorkingSet, 8'000'000);
    }
    EXPECT_EQ(run.show.ends, 1);
    EXPECT_TRUE(run.tally.Ended);
    const RunFacts facts = run.record.Facts();
    EXPECT_EQ(facts.EndTick, 4000u);
    EXPECT_EQ(facts.PeakWorkingSet, 8'000'000);
    EXPECT_EQ(facts.PeakPrivateBytes, 6'000'000);
    EXPECT_EQ(facts.ProcessorTime, 2250u * 1000);
    EXPECT_EQ(facts.Extremes.LoadMaximum, 10);
}

// A program that ends before the first pass, or is read only as ended
// (counters of a process already gone), has its peaks never measured.
TEST(PassLoop, PeaksStayNotMeasuredUntilAReadingSaysOtherwise) {
    for (const uint64_t endsAt : {1100u, 1250u}) {
        Observed run;
        FakeWatch watch;
        watch.endsAt = endsAt;
        run.Watch(watch);
        EXPECT_TRUE(run.show.shown.empty()) << endsAt;
        EXPECT_EQ(run.show.ends, 1);
        EXPECT_EQ(run.record.Facts().Passes, 0);
        EXPECT_EQ(run.record.Facts().PeakWorkingSet, -1);
        EXPECT_EQ(run.record.Facts().PeakPrivateBytes, -1);
    }
    Observed run;
    FakeWatch watch;
    watch.endsAt = 3500;
    watch.figures = [](uint64_t at) {
        WatchReading reading;
        reading.WorkingSet = 0;
        reading.PeakWorkingSet = at < 2000 ? 0 : -1; // gone, then refused
        return reading;
    };
    run.Watch(watch);
    EXPECT_EQ(run.record.Facts().Passes, 3);
    EXPECT_EQ(run.record.Facts().PeakWorkingSet, -1);
    TakeReading(run.record, run.tally, FakeWatch().figures(2000));
    EXPECT_EQ(run.record.Facts().PeakWorkingSet, 8'000'000);
}

// A pass whose reading overlaps the end reads nothing true: not kept, not
// shown. A stop ends the loop without an end.
TEST(PassLoop, DropsThePassOverTheEndAndStopsWithoutOne) {
    Observed ended;
    FakeWatch overlapping;
    overlapping.endsAt = 2260;
    overlapping.readTakesMs = 20;
    ended.Watch(overlapping);
    EXPECT_EQ(ended.Times(), (std::vector<uint32_t>{250}));
    EXPECT_EQ(overlapping.reads, 2);
    EXPECT_EQ(ended.show.ends, 1);

    Observed stopped;
    FakeWatch watch;
    watch.stopAt = 2500;
    stopped.Watch(watch);
    EXPECT_EQ(stopped.Times(), (std::vector<uint32_t>{250, 1250}));
    EXPECT_EQ(stopped.show.ends, 0);
    EXPECT_FALSE(stopped.tally.Ended);
    EXPECT_EQ(stopped.record.Facts().EndTick, 0u);
}

// Watching a process that ran before: its earlier 35 s of processor time are
// neither load nor part of the run; the times read afterwards cover the same
// span as the run time. A total that shrank (a lost thread) keeps the last.
TEST(PassLoop, AWatchThatStartsAfterTheProgramCountsFromTheAttach) {
    Observed run;
    FakeWatch watch;
    watch.endsAt = 3100;
    watch.figures = [](uint64_t at) {
        WatchReading reading;
        reading.Times = {50'000'000, 300'000'000 + (at - 1000) * 5000}; // 50 % since 1000
        if (at == 2250) reading.Times.User -= 6'000'000;
        reading.WorkingSet = reading.PeakWorkingSet = 1 << 20;
        return reading;
    };
    AttachTally(run.tally, watch.Read());
    run.Watch(watch);
    ASSERT_EQ(run.show.shown.size(), 2u);
    EXPECT_EQ(run.show.shown[0].Load, 50);
    EXPECT_EQ(run.tally.Before.Kernel + run.tally.Before.User, 350'000'000u);
    EXPECT_EQ(run.tally.Times.Kernel, 0u);
    EXPECT_EQ(run.tally.Times.User, 250u * 5000) << "the shrunk reading kept the one before";
    EXPECT_EQ(run.record.Facts().ProcessorTime, 250u * 5000);
}

// The tick count wraps after 49.7 days and the record's time stops at its
// largest: loads stay true across the wrap, no pass time wraps to a small one.
TEST(PassLoop, FortyNineDaysNeitherWrapTheLoadNorThePassTime) {
    uint64_t start = (uint64_t{1} << 32) - 600;
    Observed wrap(start);
    FakeWatch watch;
    watch.now = start;
    watch.endsAt = start + 3000;
    watch.figures = [start](uint64_t at) {
        WatchReading reading;
        reading.Times.User = (at - start) * 2500; // 25 %
        return reading;
    };
    wrap.Watch(watch);
    ASSERT_EQ(wrap.show.shown.size(), 3u);
    for (const ShownPass& shown : wrap.show.shown)
        EXPECT_EQ(shown.Load, 25);

    Observed days(1000, 2'000'000'000);
    FakeWatch longRun;
    longRun.endsAt = 1000 + 7'000'000'000ull;
    days.Watch(longRun);
    EXPECT_EQ(days.Times(), (std::vector<uint32_t>{250, 2'000'000'250u, 4'000'000'250u, UINT32_MAX}));
}

// Times in clock ticks of 15.625 ms, read every 50 ms: a busy thread reads
// 100 % on average, no pass more than the scale's processors hold. The mean
// lies between the extremes, also when the run ends busier than any pass.
TEST(PassLoop, ClockTicksReadHonestlyAndTheMeanLiesBetweenTheExtremes) {
    for (const auto& [scale, processors] : {std::pair{CpuScaleOneOpen, 1},
                                            std::pair{CpuScaleOneOpen, 4},
                                            std::pair{CpuScaleOneClamped, 4}}) {
        Observed run(1000, 50);
        run.plan = {50, scale, processors, 1050};
        FakeWatch watch;
        watch.endsAt = 11'000;
        watch.figures = [](uint64_t at) {
            WatchReading reading;
            reading.Clock = at * 10'000 + 3'000; // read a little after the pass's tick
            reading.Times.User = (reading.Clock - 9'930'000) / 156'250 * 156'250;
            return reading; // no working set: the access does not give it
        };
        run.Watch(watch);
        double sum = 0;
        for (const ShownPass& shown : run.show.shown) {
            sum += shown.Pass.Load;
            EXPECT_LE(shown.Pass.Load, scale == CpuScaleOneOpen ? 100 * processors : 100);
        }
        EXPECT_NEAR(sum / static_cast<double>(run.show.shown.size()), 100.0, 5.0) << processors;
        const RunExtremes extremes = run.record.Facts().Extremes;
        EXPECT_EQ(extremes.WorkingSetMaximum, -1) << "not available, never 0";
        EXPECT_LE(extremes.LoadMinimum, extremes.LoadAverage);
        EXPECT_LE(extremes.LoadAverage, extremes.LoadMaximum);
    }
    Observed run;
    run.plan.CpuScale = CpuScaleOneOpen;
    FakeWatch watch;
    watch.endsAt = 6'900;
    watch.figures = [](uint64_t at) { // 50 %, and 300 % after the last pass
        WatchReading reading;
        reading.Times.User = (at - 1000) * 5'000 + (at > 6'250 ? (at - 6'250) * 25'000 : 0);
        reading.WorkingSet = static_cast<int64_t>(at) << 12;
        reading.PeakWorkingSet = 1 << 20;
        return reading;
    };
    run.Watch(watch);
    TakeReading(run.record, run.tally, watch.figures(watch.endsAt));
    const RunFacts facts = run.record.Facts();
    EXPECT_GT(facts.ProcessorTime / (facts.EndTick - facts.StartTick) / 100, 50u);
    EXPECT_EQ(facts.Extremes.LoadAverage, 50);
    EXPECT_EQ(facts.Extremes.LoadMaximum, 50);
    EXPECT_GE(facts.PeakWorkingSet, facts.Extremes.WorkingSetMaximum);
}

} // namespace
