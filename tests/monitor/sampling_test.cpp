#include "monitor/sampling.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "measure/job_memory.h"
#include "monitor/language.h"
#include "monitor/quitting.h"
#include "tests/measure/fake_watch.h"

namespace {

// The window's end of the hand-over: the texts handed, what the record held
// at each, and the log's rows.
struct FakeSink {
    explicit FakeSink(const RunRecord& kept) : record(&kept) {}
    const RunRecord* record;
    std::vector<Text> handed;
    std::vector<int64_t> keptAtHandOver;
    std::vector<uint64_t> logged;
    void HandOver(const Text& values) {
        handed.push_back(values);
        keptAtHandOver.push_back(record->Facts().Passes);
    }
    void LogPass(const Readings&, uint64_t msSinceStart) { logged.push_back(msSinceStart); }
};

MonitorState& Observing(MonitorState& state) {
    ApplySettings(state, English, 0);
    ComposeMonitorTexts(state);
    BeginObservation(state, 1000);
    state.Monitoring.store(1);
    return state;
}

TEST(SamplingWorker, EndsAtOnceOnTheProgramsEndKeepingTheLastFigures) {
    MonitorState state;
    FakeWatch watch;
    watch.endsAt = 2500;
    FakeSink sink(state.ObservedProgram.Record);
    RunSamplingWorker(Observing(state), watch, sink, 1000);
    // Two passes handed over, then the last figures once more for the main loop.
    ASSERT_EQ(sink.handed.size(), 3u);
    EXPECT_EQ(watch.reads, 2) << "no pass over the ended program";
    EXPECT_EQ(sink.handed[2], sink.handed[1]);
    // The one wake-up of a hand-over finds its pass already in the record.
    EXPECT_EQ(sink.keptAtHandOver, (std::vector<int64_t>{1, 2, 2}));
    EXPECT_EQ(state.Readings.Row,
              (std::array<int64_t, 6>{10, 10, 8'000'000, 8'000'000, 10, 8'000'000}));
    // The record and the log hold the passes shown, at their time since the start.
    EXPECT_EQ(sink.logged, (std::vector<uint64_t>{250, 1250}));
    EXPECT_EQ(state.ObservedProgram.Record.Facts().EndTick, 2500u);
}

// A cleared Monitoring flag stops the worker as the stop event does: no
// pass, no hand-over after it.
TEST(SamplingWorker, StopsWithoutAnotherPassOrHandOver) {
    MonitorState state;
    FakeWatch watch;
    watch.stopAt = 2500;
    FakeSink sink(state.ObservedProgram.Record);
    RunSamplingWorker(Observing(state), watch, sink, 1000);
    EXPECT_EQ(watch.reads, 2);
    EXPECT_EQ(sink.handed.size(), 2u);
    FakeWatch cleared;
    state.Monitoring.store(0);
    RunSamplingWorker(state, cleared, sink, 1000);
    EXPECT_EQ(cleared.reads, 0);
    EXPECT_EQ(sink.handed.size(), 2u);
}

// A program that ends before the first pass shows nothing, not the figures
// of the observation before.
TEST(SamplingWorker, NoEarlierFiguresWhenTheProgramEndsBeforeTheFirstPass) {
    MonitorState state;
    FakeWatch earlier;
    earlier.endsAt = 1500;
    FakeSink before(state.ObservedProgram.Record);
    RunSamplingWorker(Observing(state), earlier, before, 1000);
    ASSERT_FALSE(before.handed.back().empty());

    FakeWatch gone;
    gone.endsAt = 1100;
    FakeSink sink(state.ObservedProgram.Record);
    RunSamplingWorker(Observing(state), gone, sink, 1000);
    for (const Text& values : sink.handed)
        EXPECT_EQ(values, "");
    EXPECT_EQ(state.Readings.Row, (std::array<int64_t, 6>{}));
    EXPECT_TRUE(sink.logged.empty());
    EXPECT_EQ(state.ObservedProgram.Record.Facts().Passes, 0);
    EXPECT_EQ(state.ObservedProgram.Record.Facts().PeakWorkingSet, -1);
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
