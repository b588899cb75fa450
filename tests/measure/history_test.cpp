#include "measure/history_axes.h"
#include "measure/history_columns.h"
#include "measure/history_title.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

std::vector<RecordedPass> SteadyDay(size_t spikeAt) {
    std::vector<RecordedPass> passes(86'400);
    for (size_t i = 0; i < passes.size(); ++i)
        passes[i] = {static_cast<uint32_t>((i + 1) * 1000), 20 + static_cast<int32_t>(i % 7),
                     50'000'000 + static_cast<int64_t>(i % 13) * 4096};
    passes[spikeAt].Load = 97;
    passes[spikeAt].WorkingSet = 900'000'000;
    passes[(spikeAt + 5000) % passes.size()].Load = 3; // a dip is kept as well
    return passes;
}

// A day at 1 s in 800 columns: whichever column a one-pass spike falls into
// shows it, and the columns' extremes are the run's.
TEST(HistoryColumns, KeepEverySpikeOfADayIn800Columns) {
    for (const size_t spikeAt : {size_t{0}, size_t{43'210}, size_t{86'399}}) {
        const auto passes = SteadyDay(spikeAt);
        HistoryColumns columns(800, HistorySpan(passes.back().Ms, false));
        // Handed over in blocks, as the record does.
        columns.Add(passes.data(), 1000);
        columns.Add(passes.data() + 1000, passes.size() - 1000);
        const auto& load = columns.Load();
        const auto& memory = columns.WorkingSet();
        ASSERT_EQ(load.size(), 800u);
        EXPECT_TRUE(std::all_of(load.begin(), load.end(), [](auto& c) { return c.Any; }));
        const auto spike = static_cast<size_t>(columns.ColumnOf(passes[spikeAt].Ms));
        EXPECT_EQ(load[spike].High, 97) << spikeAt;
        EXPECT_EQ(memory[spike].High, 900'000'000) << spikeAt;
        EXPECT_EQ(std::count_if(load.begin(), load.end(), [](auto& c) { return c.High == 97; }), 1);
        // The extremes over all columns are the run's, as the readings show them.
        RunRecord record;
        record.Begin(0, 0, 1000);
        for (const auto& pass : passes) record.Append(pass);
        const RunExtremes run = record.Facts().Extremes;
        auto low = [](auto& a, auto& b) { return a.Low < b.Low; };
        auto high = [](auto& a, auto& b) { return a.High < b.High; };
        EXPECT_EQ(std::min_element(load.begin(), load.end(), low)->Low, run.LoadMinimum);
        EXPECT_EQ(std::max_element(load.begin(), load.end(), high)->High, run.LoadMaximum);
        EXPECT_EQ(std::min_element(memory.begin(), memory.end(), low)->Low, run.WorkingSetMinimum);
        EXPECT_EQ(std::max_element(memory.begin(), memory.end(), high)->High, run.WorkingSetMaximum);
    }
}

// Fewer passes than columns: each pass has a column of its own, in order,
// the last at the right edge; the columns between stay empty.
TEST(HistoryColumns, SpreadAShortRunAcrossThePlot) {
    std::vector<RecordedPass> passes;
    for (uint32_t i = 1; i <= 60; ++i) passes.push_back({i * 1000 + 3, static_cast<int32_t>(i), i});
    HistoryColumns columns(800, HistorySpan(passes.back().Ms, false));
    columns.Add(passes.data(), passes.size());
    int32_t last = -1;
    for (const auto& pass : passes) {
        const int32_t column = columns.ColumnOf(pass.Ms);
        EXPECT_GT(column, last);
        EXPECT_EQ(columns.Load()[static_cast<size_t>(column)].Low, pass.Load);
        last = column;
    }
    EXPECT_EQ(last, 799);
    const auto& load = columns.Load();
    EXPECT_EQ(std::count_if(load.begin(), load.end(), [](auto& c) { return c.Any; }), 60);
}

// While the program runs the axis ends at a round time and holds still, so a
// pass only lengthens the lines; the span never falls short of the run and
// never overflows.
TEST(HistoryColumns, HoldTheAxisStillWhileTheProgramRuns) {
    const std::pair<uint32_t, uint32_t> runs[] = {
        {0, 10'000},          {9'999, 10'000},       {10'000, 10'000},
        {10'001, 20'000},     {61'000, 120'000},     {86'400'000, 86'400'000},
        {86'400'001, 172'800'000}, {4'294'000'000, 4'294'967'295}};
    for (const auto& [last, span] : runs) EXPECT_EQ(HistorySpan(last, true), span) << last;
    uint32_t previous = HistorySpan(0, true);
    int changes = 0;
    for (uint32_t ms = 250; ms <= 62'250; ms += 1000) {
        const uint32_t span = HistorySpan(ms, true);
        EXPECT_GE(span, ms);
        changes += span != previous;
        previous = span;
    }
    EXPECT_EQ(changes, 4); // to 20 s, 30 s, 1 min and 2 min
    EXPECT_EQ(HistorySpan(0, false), 1u);
    EXPECT_EQ(HistorySpan(61'003, false), 61'003u);
}

std::vector<std::string> Labels(const Axis& axis) {
    std::vector<std::string> labels;
    for (const auto& tick : axis.Ticks) labels.push_back(tick.Label);
    return labels;
}

using Strings = std::vector<std::string>;

TEST(HistoryAxes, RoundStepsAndTheReadingsGrouping) {
    for (const int8_t scale : {int8_t{0}, int8_t{1}}) {
        const Axis load = LoadAxis(scale, 250, 4);
        EXPECT_EQ(load.Top, 100);
        EXPECT_EQ(Labels(load), (Strings{"0 %", "25 %", "50 %", "75 %", "100 %"}));
    }
    EXPECT_EQ(LoadAxis(2, 350, 4).Top, 400);
    EXPECT_EQ(LoadAxis(2, 37, 4).Top, 100);
    EXPECT_EQ(LoadAxis(2, 1601, 4).Top, 2000);

    EXPECT_EQ(Labels(WorkingSetAxis(5'341'184, 4)), (Strings{"0 MiB", "2 MiB", "4 MiB", "6 MiB"}));
    const Axis large = WorkingSetAxis(1'223'897'088, 4); // 1.167,2 MB
    EXPECT_EQ(large.Top, 1500ll << 20);
    EXPECT_EQ(Labels(large), (Strings{"0 MiB", "500 MiB", "1.000 MiB", "1.500 MiB"}));
    EXPECT_EQ(Labels(WorkingSetAxis(12ll << 30, 3)), (Strings{"0 GiB", "5 GiB", "10 GiB", "15 GiB"}));
    EXPECT_EQ(WorkingSetAxis(0, 4).Top, 1 << 20); // nothing measured yet: one step

    EXPECT_EQ(Labels(TimeAxis(5000, 700, 60)), (Strings{"0 s", "1 s", "2 s", "3 s", "4 s", "5 s"}));
    const Axis day = TimeAxis(86'400'000, 800, 60); // 2 h are 66 px, 1 h would be 33
    ASSERT_EQ(day.Ticks.size(), 13u);
    EXPECT_EQ(day.Ticks[1].Label, "2 h");
    EXPECT_EQ(day.Ticks.back().Label, "24 h");
    const Axis minutes = TimeAxis(10 * 60'000 + 500, 800, 60);
    EXPECT_EQ(minutes.Top, 600'500);
    EXPECT_EQ(minutes.Ticks[1].Value, 60'000);
    EXPECT_EQ(minutes.Ticks.back().Label, "10 min");
}

// The curve of a program that sits low and peaks once, in a plot of the
// window's smallest and its opening size at 100 and 150 %: no row the curve
// can reach (the lines' pens, the mark of its end) falls on the label of
// the smallest or the largest value, and both labels stay inside the plot.
TEST(HistoryAxes, LabelsOfTheExtremesStayClearOfTheCurve) {
    const int64_t curve[] = {14'835'712, 15'000'000, 120'000'000, 437'452'800, 16'000'000};
    for (const auto [height, label, reach] : {std::array{82, 16, 4}, {140, 16, 4}, {212, 24, 7}}) {
        const Axis axis = WorkingSetAxis(437'452'800, 4);
        const PlotRows rows = RowsWithLabelBands(30, height, label, reach);
        const ExtremeLabelRows at =
            PlaceExtremeLabels(14'835'712, 437'452'800, axis, rows, label, reach);
        for (const int32_t top : {at.MaximumTop, at.MinimumTop}) {
            EXPECT_GE(top, rows.Top) << height;
            EXPECT_LE(top + label, rows.Bottom) << height;
            for (const int64_t value : curve) {
                const int32_t row = RowOf(value, axis, rows);
                EXPECT_TRUE(row + reach < top || row - reach >= top + label)
                    << height << " " << value;
            }
        }
    }
}

// Whichever dash the process's text allows.
TEST(HistoryTitle, NamesTheProgramItsStartAndItsRunTime) {
    const LocalTime start{2026, 12, 10, 5, 7};
    const auto either = [](const Text& text, const char* hyphens) {
        Text dashed = hyphens;
        for (size_t at; (at = dashed.find(" - ")) != Text::npos;)
            dashed.replace(at, 3, " \u2013 ");
        return text == hyphens || text == dashed;
    };
    const Text german = RunTitle(0, "C:\\B\u00fccher \u03a9\\\u4e2d\\app.exe", start, 22'449);
    EXPECT_TRUE(either(german, "app.exe - 2026-12-10 05:07 - 22,4 s")) << german;
    const Text english = CaptionWithRun("History", RunTitle(1, "/x/app.exe", start, 725'000));
    EXPECT_TRUE(either(english, "History - app.exe - 2026-12-10 05:07 - 12 min 5 s")) << english;
    EXPECT_TRUE(either(RunTitle(1, "", start, 0), "2026-12-10 05:07 - 0.0 s"));
    EXPECT_TRUE(either(RunTitle(1, "a.exe", start, std::nullopt), "a.exe - 2026-12-10 05:07"));
    EXPECT_EQ(CaptionWithRun("History", ""), "History");
}

} // namespace
