#include "monitor/language.h"
#include "monitor/readings.h"
#include "monitor/reading_log.h"
#include "monitor/summary.h"

#include <gtest/gtest.h>

namespace {

TEST(ScaledLoad, FollowsTheCpuScaleSetting) {
    const struct {
        int64_t load;
        int8_t scale;
        int32_t processors;
        int64_t shown;
    } rows[] = {
        {150, CpuScaleOneClamped, 2, 100}, {-5, CpuScaleOneClamped, 2, 0},
        {199, CpuScaleMachine, 2, 99},     {400, CpuScaleMachine, 4, 100},
        {250, CpuScaleMachine, 2, 100},    {37, CpuScaleMachine, 0, 37},
        {-5, CpuScaleMachine, 2, 0},       {400, CpuScaleOneOpen, 4, 400},
        {-5, CpuScaleOneOpen, 4, 0},       {150, 3, 2, 100},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ScaledLoad(row.load, row.scale, row.processors), row.shown)
            << row.load << " at scale " << int{row.scale} << " on " << row.processors;
}

TEST(UpdateExtremes, ExtremesFollowTheScale) {
    std::atomic<int8_t> seeded{0};
    Readings readings;
    readings.Row[CpuCurrent] = 180;
    UpdateExtremes(readings, seeded, CpuScaleOneOpen, 2);
    readings.Row[CpuCurrent] = 250;
    UpdateExtremes(readings, seeded, CpuScaleOneOpen, 2);
    EXPECT_EQ(readings.Row[CpuMinimum], 180);
    EXPECT_EQ(readings.Row[CpuMaximum], 250);
    readings.Row[CpuCurrent] = 120;
    UpdateExtremes(readings, seeded, CpuScaleMachine, 2);
    EXPECT_EQ(readings.Row[CpuCurrent], 60);
    EXPECT_EQ(readings.Row[CpuMinimum], 60);
}

TEST(ApplyOptions, KeepsOnlyTheKnownValues) {
    MonitorState state;
    ApplySettings(state, 1, 0);
    ComposeMonitorTexts(state);
    ApplyOptions(state, 1, 2, "");
    EXPECT_EQ(state.Options.Children, 1);
    EXPECT_EQ(state.Options.CpuScale, CpuScaleOneOpen);
    EXPECT_EQ(state.ErrorTexts[ErrorLogFile], "") << "no log, no error 7";
    for (int32_t other : {2, -1, 257}) {
        ApplyOptions(state, other, other + 1, "");
        EXPECT_EQ(state.Options.Children, 0) << other;
        EXPECT_EQ(state.Options.CpuScale, CpuScaleOneClamped) << other;
    }
    ApplyOptions(state, 0, 1, "logs\\brenk.csv");
    EXPECT_EQ(state.Options.CpuScale, CpuScaleMachine);
    EXPECT_EQ(state.Options.LogFile, "logs\\brenk.csv");
    EXPECT_EQ(state.ErrorTexts[ErrorLogFile], "Couldn\xB4t write <logs\\brenk.csv> !");
    EXPECT_EQ(ErrorText(state, ErrorLogFile), state.ErrorTexts[ErrorLogFile]);
    EXPECT_EQ(LogFileErrorText(German, "x.csv"), "Konnte <x.csv> nicht schreiben !");
}

TEST(ReadingLog, WritesPlainCsvRows) {
    EXPECT_EQ(LogHeaderLine(), "Time,Milliseconds,CPU Current,CPU Minimum,CPU Maximum,"
                               "RAM Current,RAM Minimum,RAM Maximum\r\n");
    Readings readings;
    readings.Row = {3, 97, 1236992, 3'000'000'000LL, 41, 2'500'000'000LL};
    EXPECT_EQ(LogRowLine({2026, 1, 9, 7, 5, 3}, 12345, readings),
              "2026-01-09T07:05:03,12345,41,3,97,2500000000,1236992,3000000000\r\n");
    EXPECT_EQ(IsoTimeText({987, 12, 31, 23, 59, 59}), "0987-12-31T23:59:59");
    EXPECT_EQ(LogStartLine(English, "\"C:\\a b\\app.exe\" -v 2"),
              "# Program : \"C:\\a b\\app.exe\" -v 2\r\n");
    EXPECT_EQ(LogStartLine(German, "\"app.exe\""), "# Programm : \"app.exe\"\r\n");
}

TEST(Summary, RunningShowsTheTimesSoFarAndTheEndAllFour) {
    RunSummary summary;
    summary.StartTick = 10'000;
    summary.ProcessorTime.store(12'345'678); // 1234 ms
    summary.PeakWorkingSet.store(157'286'400);
    SummaryFigures running = SummaryOf(summary, 12'500);
    EXPECT_FALSE(running.ended);
    EXPECT_EQ(SummaryTip(English, running), "Running for : 2.500 ms\r\nProcessor time : 1.234 ms");
    EXPECT_EQ(SummaryTip(German, running), "L\xE4uft seit : 2.500 ms\r\nProzessorzeit : 1.234 ms");

    summary.EndTick.store(11'000); // ended before the main thread looked
    summary.ExitCode = 0xFFFFFFFF;
    summary.Ended = true;
    const SummaryFigures ended = SummaryOf(summary, 99'000);
    EXPECT_EQ(ended.runMs, 1000u);
    EXPECT_EQ(SummaryTip(English, ended),
              "Run time : 1.000 ms\r\nProcessor time : 1.234 ms\r\nExit code : 0xFFFFFFFF\r\n"
              "Peak working set : 157.286.400 Bytes");
    EXPECT_EQ(SummaryLogLine(German, ended),
              "# Laufzeit : 1000 ms, Prozessorzeit : 1234 ms, Exit-Code : 0xFFFFFFFF, "
              "H\xF6"
              "chster Working-Set : 157286400 Bytes\r\n");
    summary.StartTick = 20'000; // a clock read before the start gives 0, not a wrap
    EXPECT_EQ(SummaryOf(summary, 0).runMs, 0u);
}

TEST(Summary, CrashesShowTheirCodeInHexadecimalAndName) {
    SummaryFigures crashed{true, 0, 0, 0xC0000005, 0};
    EXPECT_NE(SummaryTip(English, crashed).find("Exit code : 0xC0000005 (Access violation)\r\n"),
              std::string::npos);
    EXPECT_NE(SummaryLogLine(German, crashed).find("Exit-Code : 0xC0000005 (Zugriffsverletzung),"),
              std::string::npos);
    EXPECT_EQ(ExitCodeText(German, 0xC00000FD), "0xC00000FD (Stapel\xFC"
                                                "berlauf)");
    EXPECT_EQ(ExitCodeText(English, 0x80000000), "0x80000000");
    EXPECT_EQ(ExitCodeText(English, 0x7FFFFFFF), "2147483647");
}

TEST(OptionTexts, AreIsoLatin1AndComplete) {
    for (int8_t language : {German, English}) {
        for (int32_t i = 0; i < OptionTextCount; ++i) {
            const std::string text = OptionTexts(language)[i];
            EXPECT_FALSE(text.empty()) << int{language} << " " << i;
            for (unsigned char c : text)
                EXPECT_TRUE(c < 0x80 || c == 0xB4 || c == 0xE4 || c == 0xF6) << text;
        }
    }
}

} // namespace
