#include "monitor/sampling.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "monitor/job_memory.h"
#include "monitor/language.h"
#include "monitor/quitting.h"

namespace {

// A program that uses 10 % of a processor and 8 MB, ending after `passes`
// samples; the pauses end as scripted, then with the program's end.
struct FakeWatch {
    explicit FakeWatch(int passes, std::vector<PauseEnd> pauses = {})
        : passes(passes), pauses(std::move(pauses)) {}
    int passes;
    std::vector<PauseEnd> pauses;
    std::vector<Text> handed;
    uint32_t tick = 1000;
    int sampled = 0;

    void Sample(MonitorState& state) {
        ++sampled;
        tick += 1000;
        auto& row = state.Readings.Row;
        row[CpuCurrent] = SampleCpuLoad(state.ObservedProgram.Sampler, sampled * 1'000'000ull, tick,
                                        row[CpuCurrent]);
        row[RamCurrent] = Ended() ? 0 : 8'000'000;
    }
    bool Ended() const { return sampled > passes; }
    void HandOver(const Text& values) {
        handed.push_back(values);
        if (record) keptAtHandOver.push_back(record->Facts().Passes);
    }
    const RunRecord* record = nullptr; // what the views woken by a hand-over read
    std::vector<int64_t> keptAtHandOver;
    uint64_t Tick() const { return tick; }
    void LogPass(const Readings&, uint64_t msSinceStart) { logged.push_back(msSinceStart); }
    std::vector<uint64_t> logged;
    PauseEnd Pause(int32_t) {
        if (static_cast<size_t>(sampled) <= pauses.size()) return pauses[sampled - 1];
        return PauseEnd::ProgramEnded;
    }
};

MonitorState& Observing(MonitorState& state) {
    ApplySettings(state, English, 0);
    ComposeMonitorTexts(state);
    BeginObservation(state, 1000);
    state.ObservedProgram.Record.Begin(1000, 0, 1000);
    state.Monitoring.store(1);
    return state;
}

TEST(SamplingWorker, EndsAtOnceOnTheProgramsEndKeepingTheLastFigures) {
    MonitorState state;
    FakeWatch watch(2, {PauseEnd::Interval});
    watch.record = &state.ObservedProgram.Record;
    RunSamplingWorker(Observing(state), watch, 1000);
    // Two passes handed over, then the last figures once more for the main loop.
    ASSERT_EQ(watch.handed.size(), 3u);
    EXPECT_EQ(watch.sampled, 2) << "no pass over the ended program";
    EXPECT_EQ(watch.handed[2], watch.handed[1]);
    // The one wake-up of a hand-over finds its pass already in the record.
    EXPECT_EQ(watch.keptAtHandOver, (std::vector<int64_t>{1, 2, 2}));
    EXPECT_EQ(state.Readings.Row,
              (std::array<int64_t, 6>{10, 10, 8'000'000, 8'000'000, 10, 8'000'000}));
    // The record and the log hold the passes shown, at their time since the start.
    EXPECT_EQ(watch.logged, (std::vector<uint64_t>{1000, 2000}));
    std::vector<std::array<int64_t, 3>> kept;
    state.ObservedProgram.Record.ForEachBlock([&](const RecordedPass* first, size_t count) {
        for (size_t i = 0; i < count; ++i)
            kept.push_back({first[i].Ms, first[i].Load, first[i].WorkingSet});
    });
    EXPECT_EQ(kept,
              (std::vector<std::array<int64_t, 3>>{{1000, 10, 8'000'000}, {2000, 10, 8'000'000}}));
}

TEST(SamplingWorker, StopsWithoutAnotherPassOrHandOver) {
    MonitorState state;
    FakeWatch watch(5, {PauseEnd::Interval, PauseEnd::Stop});
    RunSamplingWorker(Observing(state), watch, 1000);
    EXPECT_EQ(watch.sampled, 2);
    EXPECT_EQ(watch.handed.size(), 2u);
}

// A program that ends before the first pass shows nothing, not the figures
// of the observation before.
TEST(SamplingWorker, NoEarlierFiguresWhenTheProgramEndsBeforeTheFirstPass) {
    MonitorState state;
    FakeWatch earlier(1);
    RunSamplingWorker(Observing(state), earlier, 1000);
    ASSERT_FALSE(earlier.handed.back().empty());

    FakeWatch gone(0);
    RunSamplingWorker(Observing(state), gone, 1000);
    for (const Text& values : gone.handed)
        EXPECT_EQ(values, "");
    EXPECT_EQ(state.Readings.Row, (std::array<int64_t, 6>{}));
    EXPECT_TRUE(gone.logged.empty());
    EXPECT_EQ(state.ObservedProgram.Record.Facts().Passes, 0);
}

// A watched program asked to end that ends, or outlives the wait.
struct FakeEnding {
    bool outlives;
    std::string steps;
    void NoteEnd() { steps += "note "; }
    void StopWorker() { steps += "stop "; }
    void EndProgram() { steps += "end "; }
    bool AwaitEnd() { return !outlives; }
    void ResumeWorker() { steps += "resume"; }
    void Finish() { steps += "finish"; }
};

TEST(EndObservation, ClaimsNoEndThatDidNotCome) {
    for (const bool outlives : {false, true}) {
        MonitorState state;
        int handle = 0;
        state.ObservedProgram.ProcessHandle.reset(&handle);
        state.ObservedProgram.Program = reinterpret_cast<LaunchRecord*>(&handle);
        state.ObservedProgram.Record.NoteEnd(5000); // as NoteEnd leaves it
        FakeEnding ending{outlives, ""};
        EXPECT_EQ(EndObservation(state, ending),
                  outlives ? QuitOutcome::StillRunning : QuitOutcome::Ended);
        EXPECT_EQ(ending.steps, outlives ? "note stop end resume" : "note stop end finish");
        EXPECT_EQ(state.Monitoring.load(), outlives ? 1 : 0) << "watched on while it runs";
        EXPECT_EQ(state.ObservedProgram.Record.Facts().EndTick, outlives ? 0u : 5000u);
        state.ObservedProgram.ProcessHandle.release(); // a stand-in, not to be closed
    }
}

// A build: a parent of 10 MB and twenty compilers of 50 MB, one after
// another, each read at one pass. Only one compiler was ever in memory
// with the parent; a compiler that peaked between passes counts alone.
TEST(JobMemoryPass, PeakIsWhatWasInMemoryAtOnceNeverTheOwnPeaksAdded) {
    constexpr uint64_t MB = 1 << 20;
    uint64_t peak = 0;
    for (int compiler = 0; compiler < 20; ++compiler) {
        JobMemoryPass pass;
        pass.Add(10 * MB, 12 * MB);
        pass.Add(compiler == 7 ? 5 * MB : 50 * MB, compiler == 7 ? 80 * MB : 50 * MB);
        EXPECT_EQ(pass.WorkingSet(), compiler == 7 ? 15 * MB : 60 * MB);
        peak = pass.Peak() > peak ? pass.Peak() : peak;
    }
    EXPECT_EQ(peak, 80 * MB);
    JobMemoryPass together;
    together.Add(40 * MB, 41 * MB);
    together.Add(30 * MB, 31 * MB);
    EXPECT_EQ(together.Peak(), 70 * MB);
}

} // namespace
