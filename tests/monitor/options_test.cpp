#include "monitor/language.h"
#include "monitor/readings.h"
#include "measure/reading_log.h"
#include "measure/summary.h"
#include "monitor/process_log.h"

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
    // A line break stays in the comment line; a figure not available is empty.
    EXPECT_EQ(LogStartLine(English, "a \"1\r\n2,3\"\n"), "# Program : a \"1  2,3\" \r\n");
    readings.Row = {3, 97, -1, -1, 41, -1};
    EXPECT_EQ(LogRowLine({2026, 1, 9, 7, 5, 3}, 250, readings), "2026-01-09T07:05:03,250,41,3,97,,,\r\n");
}

TEST(Summary, RunningShowsTheTimesSoFarAndTheEndAllFour) {
    RunRecord record;
    record.Begin(10'000, 0, 1000);
    record.RaiseProcessorTime(12'345'678); // 1234 ms
    record.RaisePeakWorkingSet(1'223'897'088);
    SummaryFigures running = SummaryOf(record.Facts(), 32'425);
    EXPECT_FALSE(running.ended);
    EXPECT_EQ(SummaryTip(English, running), "Running for : 22.4 s\r\nProcessor time : 1.2 s");
    EXPECT_EQ(SummaryTip(German, running), "L\xE4uft seit : 22,4 s\r\nProzessorzeit : 1,2 s");

    record.NoteEnd(11'000); // ended before the main thread looked
    record.Finish(0xFFFFFFFF, true); // the peak read after the end
    SummaryFigures ended = SummaryOf(record.Facts(), 99'000);
    ended.io = IoFigures{67'108'864, 5'000, -1, 1'024, 2, -1, 12'345};
    EXPECT_EQ(ended.runMs, 1000u);
    EXPECT_EQ(SummaryTip(English, ended),
              "Run time : 1.0 s\r\nProcessor time : 1.2 s\r\nExit code : 0xFFFFFFFF\r\n"
              "Peak working set : 1,167.2 MiB\r\nRead : 64.0 MiB (1,024 operations)\r\n"
              "Written : 0.0 MiB (2 operations)\r\nOther I/O : not measured\r\n"
              "Page faults : 12,345");
    // Read at the last pass, it may miss a late rise: the tip says so.
    record.Finish(0xFFFFFFFF, false);
    SummaryFigures lastPass = SummaryOf(record.Facts(), 99'000);
    lastPass.io = ended.io;
    EXPECT_NE(SummaryTip(German, lastPass).find("1.167,2 MiB (beim letzten Durchgang, evtl. zu niedrig)\r\n"), std::string::npos);
    EXPECT_EQ(SummaryLogLine(German, lastPass), SummaryLogLine(German, ended));
    EXPECT_EQ(SummaryLogLine(German, ended),
              "# Laufzeit : 1000 ms, Prozessorzeit : 1234 ms, Exit-Code : 0xFFFFFFFF, "
              "H\xF6"
              "chster Working-Set : 1223897088 Bytes, Gelesen : 67108864 Bytes (1024 Vorg\xE4nge), "
              "Geschrieben : 5000 Bytes (2 Vorg\xE4nge), Andere E/A : nicht gemessen, "
              "Seitenfehler : 12345\r\n");
    record.Begin(20'000, 0, 1000); // a clock read before the start gives 0, not a wrap
    EXPECT_EQ(SummaryOf(record.Facts(), 0).runMs, 0u);
    // A program gone before anything was read: its peak was not measured.
    record.Finish(0);
    SummaryFigures unread = SummaryOf(record.Facts(), 20'000);
    EXPECT_TRUE(SummaryLogLine(English, unread).ends_with("Peak working set : not measured\r\n"));
    unread.io = IoFigures{};
    EXPECT_NE(SummaryTip(German, unread).find("Working-Set : nicht gemessen"), std::string::npos);
    EXPECT_TRUE(SummaryLogLine(English, unread).ends_with(
        "Peak working set : not measured, Read : not measured, Written : not measured, "
        "Other I/O : not measured, Page faults : not measured\r\n"));
}

TEST(Summary, EachProcessOfTheTreeIsACommentLine) {
    ProcessEntry entry{"cc1\r\n.exe", 4120,     4100, 12, 340, 0xC0000005, 1'200'000, 300'000,
                       52'428'800,      -1, {4'096, 8'192, -1, 2, 3, -1, 77}};
    EXPECT_EQ(ProcessLogLine(English, entry),
              "# Process : cc1  .exe, PID : 4120, Parent PID : 4100, Start : 12 ms, End : 340 ms, "
              "Exit code : 0xC0000005 (Access violation), Processor time : 150 ms, "
              "Peak working set : 52428800 Bytes, Read : 4096 Bytes (2 operations), "
              "Written : 8192 Bytes (3 operations), Other I/O : not measured, Page faults : 77\r\n");
    entry = {"link.exe", 7, 1, 5, -1, -1, -1, -1, -1, -1, {}};
    EXPECT_EQ(ProcessLogLine(German, entry),
              "# Prozess : link.exe, PID : 7, Eltern-PID : 1, Start : 5 ms, Ende : l\xE4uft, "
              "Exit-Code : l\xE4uft, Prozessorzeit : nicht gemessen, H\xF6"
              "chster Working-Set : nicht gemessen, Gelesen : nicht gemessen, Geschrieben : nicht "
              "gemessen, Andere E/A : nicht gemessen, Seitenfehler : nicht gemessen\r\n");
}

TEST(Summary, TimesAndMemoryAsPeopleReadThem) {
    const struct {
        uint64_t ms;
        const char *english, *german;
    } times[] = {
        {22'425, "22.4 s", "22,4 s"},
        {22'450, "22.5 s", "22,5 s"}, // rounded, not cut
        {59'950, "1 min 0 s", "1 min 0 s"}, // rounds up into the next form
        {754'600, "12 min 35 s", "12 min 35 s"},
        {3'599'500, "1 h 0 min", "1 h 0 min"},
        {93'780'000, "26 h 3 min", "26 h 3 min"},
        {4'000'000'000'000, "1,111,111 h 7 min", "1.111.111 h 7 min"},
    };
    for (const auto& t : times) {
        EXPECT_EQ(DurationText(English, t.ms), t.english) << t.ms;
        EXPECT_EQ(DurationText(German, t.ms), t.german) << t.ms;
    }
    const struct {
        int64_t bytes;
        const char *english, *german;
    } sizes[] = {
        {-1, "not measured", "nicht gemessen"},
        {52'428, "0.0 MiB", "0,0 MiB"},
        {52'429, "0.1 MiB", "0,1 MiB"},
        {1'223'897'088, "1,167.2 MiB", "1.167,2 MiB"},
        {10'737'363'382, "10,239.9 MiB", "10.239,9 MiB"},
        {10'737'418'240, "10.0 GiB", "10,0 GiB"},
        {INT64_MAX, "8,589,934,592.0 GiB", "8.589.934.592,0 GiB"},
    };
    for (const auto& m : sizes) {
        EXPECT_EQ(MemoryText(English, m.bytes), m.english) << m.bytes;
        EXPECT_EQ(MemoryText(German, m.bytes), m.german) << m.bytes;
    }
}

TEST(Summary, CrashesShowTheirCodeInHexadecimalAndName) {
    SummaryFigures crashed{true, 0, 0, 0xC0000005, 0, false, std::nullopt};
    EXPECT_NE(SummaryTip(English, crashed).find("Exit code : 0xC0000005 (Access violation)\r\n"),
              std::string::npos);
    EXPECT_NE(SummaryLogLine(German, crashed).find("Exit-Code : 0xC0000005 (Zugriffsverletzung),"),
              std::string::npos);
    EXPECT_EQ(ExitCodeText(German, 0xC00000FD), "0xC00000FD (Stapel\xFC"
                                                "berlauf)");
    EXPECT_EQ(ExitCodeText(English, 0xC0000135), "0xC0000135 (A DLL was not found)");
    EXPECT_EQ(ExitCodeText(English, 0x80000000), "0x80000000");
    EXPECT_EQ(ExitCodeText(English, 0x7FFFFFFF), "2147483647");
}

TEST(SummaryCaptions, AreIsoLatin1AndComplete) {
    for (int8_t language : {German, English}) {
        for (int32_t i = 0; i < SummaryCaptionCount; ++i) {
            const std::string text = SummaryCaptions(language)[i];
            EXPECT_FALSE(text.empty()) << int{language} << " " << i;
            for (unsigned char c : text)
                EXPECT_TRUE(c < 0x80 || c == 0xB4 || c == 0xE4 || c == 0xF6) << text;
        }
    }
}

} // namespace
