// brenkrun's platform-neutral logic: its options, the program's command
// line, and the two reports.
#include <gtest/gtest.h>

#include "services/command_line.h"
#include "console/command_words.h"
#include "console/run_options.h"
#include "console/run_report.h"
#include "console/run_statistics.h"
#include "console/runs_report.h"
#include "monitor/state.h"

namespace {

Text Parse(std::vector<Text> words, RunOptions& options) {
    return ParseRunOptions(words, options);
}

TEST(RunOptions, EachFaultIsOneLineAndAProgramKeepsItsOwnOptions) {
    for (std::vector<Text> words :
         std::vector<std::vector<Text>>{{},
                                        {"--interval", "49", "p"},
                                        {"--interval", "10001", "p"},
                                        {"--interval=5x", "p"},
                                        {"--cpu-scale", "3", "p"},
                                        {"--bogus", "p"},
                                        {"--log"},
                                        {"--quiet=1", "p"},
                                        {"--pid", "0"},
                                        {"--pid", "12", "p"},
                                        {"--children", "--pid", "12"},
                                        {"--processes", "all", "p"},
                                        {"--children", "--processes", "0", "p"},
                                        {"--plot-size", "800", "p"},
                                        {"--json", "", "p"},
                                        {"--", ""},
                                        {"--runs", "1", "p"},
                                        {"--runs", "10001", "p"},
                                        {"--runs", "2", "--pid", "12"},
                                        {"--runs", "2", "--plot", "g.png", "p"},
                                        {"--runs", "2", "--log", "l.csv", "p"},
                                        {"--warmup", "1", "p"},
                                        {"--csv", "r.csv", "p"},
                                        {"--runs", "2", "--compare", "a"},
                                        {"--runs", "2", "--compare", "a", " \t"},
                                        {"--runs=2", "--prepare", " ", "p"}}) {
        RunOptions options;
        const Text problem = Parse(words, options);
        EXPECT_EQ(problem.rfind("brenkrun: ", 0), 0u) << problem;
        EXPECT_EQ(problem.find('\n'), Text::npos);
    }
    RunOptions options;
    EXPECT_EQ(Parse({"--interval=50", "--children", "--processes", "all", "--cpu-scale", "2",
                     "--plot-size", "640x480", "--json", "-", "--", "--quiet", "-x"},
                    options),
              "");
    EXPECT_EQ(options.IntervalMs, 50);
    EXPECT_TRUE(options.Children);
    EXPECT_EQ(options.ProcessRows, 0) << "all";
    EXPECT_EQ(options.CpuScale, 2);
    EXPECT_EQ(options.PlotWidth * 1000 + options.PlotHeight, 640480);
    EXPECT_EQ(options.JsonFile, "-");
    EXPECT_FALSE(options.Quiet);
    EXPECT_EQ(options.Command, (std::vector<Text>{"--quiet", "-x"}));
    RunOptions after;
    EXPECT_EQ(Parse({"--interval", "10000", "prog", "--interval", "1"}, after), "");
    EXPECT_EQ(after.Command, (std::vector<Text>{"prog", "--interval", "1"}));
    RunOptions watch;
    EXPECT_EQ(Parse({"--pid", "4294967295"}, watch), "");
    EXPECT_EQ(watch.WatchedId, 4294967295u);
    RunOptions runs;
    EXPECT_EQ(Parse({"--runs", "10000", "--warmup=3", "--prepare", "cmd /c del x", "--compare",
                     "--show-output", "--ignore-failure", "--markdown", "r.md", "a 1", "\"b c\" 2"},
                    runs),
              "");
    EXPECT_EQ(runs.Runs, 10000);
    EXPECT_EQ(runs.Warmup, 3);
    EXPECT_TRUE(runs.Compare && runs.ShowOutput && runs.IgnoreFailure);
    EXPECT_EQ(runs.Prepare, "cmd /c del x");
    EXPECT_EQ(runs.Command, (std::vector<Text>{"a 1", "\"b c\" 2"}));
}

// A file name as the system resolves it: in the folder C:\W, devices apart.
Text Resolved(const Text& name) {
    return name == "NUL" || name == "nul" ? "\\\\.\\NUL" : "C:\\W\\" + name;
}

TEST(RunOptions, TwoOutputsInOneFileAreRefused) {
    RunOptions options;
    options.JsonFile = "r.json";
    options.CsvFile = options.MarkdownFile = "-";
    options.LogFile = "NUL";
    options.PlotFile = "nul";
    EXPECT_EQ(SharedOutputProblem(options, &Resolved), "");
    options.CsvFile = "r.JSON";
    EXPECT_NE(SharedOutputProblem(options, &Resolved).find("--json and --csv"), Text::npos);
    options.PlotFile = "R.Json";
    EXPECT_EQ(SharedOutputProblem(options, &Resolved),
              "brenkrun: --json and --plot name one file, R.Json; each needs its own");
}

// What the runtime's rules make of each: backslashes are plain unless a
// quotation mark follows them.
TEST(CommandLine, ArgumentsAreQuotedSoTheRuntimeReadsThemBack) {
    EXPECT_EQ(QuoteArgument("plain\\path\\"), "plain\\path\\");
    EXPECT_EQ(QuoteArgument(""), "\"\"");
    EXPECT_EQ(QuoteArgument("a b\t"), "\"a b\t\"");
    EXPECT_EQ(QuoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteArgument("C:\\my dir\\"), "\"C:\\my dir\\\\\"");
    EXPECT_EQ(QuoteArgument("a\\\\\"b"), "\"a\\\\\\\\\\\"b\"");
    EXPECT_EQ(ComposeCommand({"C:\\My Tools\\x.exe", "1", "two words"}),
              "\"C:\\My Tools\\x.exe\" 1 \"two words\"");
    // A batch file's arguments: data inside the processor's quotation marks,
    // or refused when no quoting keeps them from it.
    EXPECT_TRUE(IsBatchFile("C:\\b\\T.CMD") && IsBatchFile("x.bat") && !IsBatchFile("bat"));
    Text line;
    EXPECT_TRUE(ComposeBatchCommand("cmd.exe", {"C:\\t.cmd", "a&b", "^", ""}, &line));
    EXPECT_EQ(line, "\"cmd.exe\" /d /v:off /s /c \"\"C:\\t.cmd\" \"a&b\" \"^\" \"\"\"");
    for (const char* odd : {"\"", "%PATH%", "a\nb"})
        EXPECT_FALSE(ComposeBatchCommand("cmd.exe", {"t.cmd", odd}, &line)) << odd;
}

ConsoleRun SampleRun() {
    ConsoleRun run;
    run.Command = "prog.exe \"a b\"";
    run.Program = "C:\\T\xE4st\\prog.exe";
    run.Arguments = {"a b", "q\"\\\n"};
    run.RunMs = 2'345;
    run.User100ns = 11'000'000;
    run.Kernel100ns = 1'230'000;
    run.Facts.ProcessorTime = 12'230'000;
    run.Facts.ExitCode = 0xC0000005;
    run.Facts.PeakWorkingSet = 68'222'976;
    run.Facts.Passes = 2;
    run.Facts.IntervalMs = 1000;
    run.Facts.Extremes = {true, 3, 97, 1'236'992, 5'341'184};
    return run;
}

TEST(RunReport, TextInBothLanguages) {
    const ConsoleRun run = SampleRun();
    EXPECT_EQ(RunReportText(English, run),
              "Command            : prog.exe \"a b\"\r\n"
              "Exit code          : 0xC0000005 (Access violation)\r\n"
              "Run time           : 2.345 s\r\n"
              "Processor time     : 1.223 s (user 1.100 s, kernel 0.123 s)\r\n"
              "Load               : 52 % average, 97 % largest\r\n"
              "Peak working set   : 68,222,976 Bytes (at the last pass, may be low)\r\n"
              "Working set        : 1,236,992 to 5,341,184 Bytes at the passes\r\n"
              "Peak private bytes : not measured\r\n"
              "Passes             : 2 every 1,000 ms\r\n"
              "Read               : not measured\r\n"
              "Written            : not measured\r\n"
              "Other I/O          : not measured\r\n"
              "Page faults        : not measured\r\n");
    const Text german = RunReportText(German, run);
    EXPECT_NE(german.find("Laufzeit              : 2,345 s\r\n"), Text::npos) << german;
    EXPECT_NE(german.find("(Zugriffsverletzung)"), Text::npos);
    EXPECT_NE(german.find("Durchg\xE4nge            : 2 alle 1.000 ms"), Text::npos) << german;
    EXPECT_NE(german.find("Bytes (beim letzten Durchgang, evtl. zu niedrig)\r\n"), Text::npos);
    // A peak read after the end, or of a process still running, is no last pass's.
    for (const bool whole : {true, false}) {
        ConsoleRun other = run;
        other.Facts.PeakWhole = whole;
        other.ExitKnown = whole;
        EXPECT_EQ(RunReportText(English, other).find("last pass"), Text::npos);
    }
}

TEST(RunReport, JsonHoldsEveryKeyEscapedAndUnmeasuredAsNull) {
    ConsoleRun run = SampleRun();
    run.ExitKnown = false;
    run.Facts.Extremes = {};
    run.Facts.PeakWorkingSet = -1;
    run.Facts.CpuScale = 1;
    run.Processors = 4;
    EXPECT_EQ(RunReportJson(run),
              "{\n  \"program\": \"C:\\\\T\xC3\xA4st\\\\prog.exe\",\n"
              "  \"arguments\": [\"a b\", \"q\\\"\\\\\\u000a\"],\n"
              "  \"exit_code\": null,\n  \"run_time_ms\": 2345,\n"
              "  \"processor_time_ms\": 1223,\n  \"user_time_ms\": 1100,\n"
              "  \"kernel_time_ms\": 123,\n  \"cpu_average_percent\": 13,\n"
              "  \"cpu_minimum_percent\": null,\n  \"cpu_maximum_percent\": null,\n"
              "  \"peak_working_set_bytes\": null,\n  \"working_set_minimum_bytes\": null,\n"
              "  \"working_set_maximum_bytes\": null,\n  \"peak_private_bytes\": null,\n"
              "  \"peak_covers_whole_run\": false,\n"
              "  \"passes\": 2,\n  \"interval_ms\": 1000,\n  \"cpu_scale\": 1,\n"
              "  \"io_read_bytes\": null,\n  \"io_write_bytes\": null,\n"
              "  \"io_other_bytes\": null,\n  \"io_read_operations\": null,\n"
              "  \"io_write_operations\": null,\n"
              "  \"io_other_operations\": null,\n  \"page_faults\": null,\n"
              "  \"children\": false,\n  \"processes\": 1\n}\n");
    // Watched by --pid: the arguments are not known, every time covers the
    // watch (the load too), and the process's whole life is given apart.
    run.Attached = true;
    run.ProcessorBefore100ns = 2'000'000;
    const Text attached = RunReportJson(run);
    EXPECT_NE(attached.find("\"arguments\": null,\n  \"exit_code\""), Text::npos) << attached;
    EXPECT_NE(attached.find("\"processor_time_ms\": 1223,\n  \"processor_time_whole_life_ms\": 1423,\n"
                            "  \"user_time_ms\": 1100"),
              Text::npos)
        << attached;
    EXPECT_NE(attached.find("\"cpu_average_percent\": 13,"), Text::npos);
}

// Known data sets: one run, equal runs, a far run, and more than half the
// runs equal, where the mean absolute deviation stands in for the MAD.
TEST(RunStatistics, SpreadAndFarRunsOfKnownSets) {
    const Spread one = SpreadOf({5});
    EXPECT_EQ(one.Count, 1);
    EXPECT_EQ(one.Mean + one.Median + one.Min + one.Max, 20);
    EXPECT_EQ(one.Stddev + one.Far, 0);
    const Spread equal = SpreadOf({0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1});
    EXPECT_LE(equal.Mean, equal.Max);
    EXPECT_GE(equal.Mean, equal.Min);
    EXPECT_EQ(equal.Stddev + equal.Scale + equal.Far, 0);
    const Spread outlier = SpreadOf({10, 11, 50, 10, 12, 11, 10});
    EXPECT_DOUBLE_EQ(outlier.Mean, 114.0 / 7);
    EXPECT_NEAR(outlier.Stddev, 14.8852755625, 1e-9);
    EXPECT_EQ(outlier.Median, 11);
    EXPECT_EQ(outlier.Min * 100 + outlier.Max, 1050);
    EXPECT_DOUBLE_EQ(outlier.Scale, 1.4826);
    EXPECT_EQ(outlier.Far, 1);
    EXPECT_TRUE(IsFar(outlier, 50));
    EXPECT_FALSE(IsFar(outlier, 15));
    EXPECT_EQ(SpreadOf({10, 10, 10, 10, 12}).Far, 1);
    EXPECT_EQ(SpreadOf({10, 10, 10, 12, 12}).Far, 0);
    EXPECT_EQ(SpreadOf({1000, 1000, 1000, 1000, 1004, 1000}).Far, 0); // a counter's step
    EXPECT_EQ(SpreadOf({1, 2, 100, 4}).Far, 0);                       // too few to tell
    EXPECT_EQ(SpreadOf({1, 2, 100, 4}).Median, 3);
    EXPECT_EQ(SpreadOf({}).Count, 0);
    const Ratio ratio = RatioOf(SpreadOf({180, 220}), SpreadOf({90, 110}));
    EXPECT_TRUE(ratio.Known);
    EXPECT_DOUBLE_EQ(ratio.Value, 2);
    EXPECT_NEAR(ratio.Stddev, 0.4, 1e-12); // 2 x sqrt(0.1414^2 + 0.1414^2)
    EXPECT_FALSE(RatioOf(one, SpreadOf({})).Known);
}

ConsoleRun TimedRun(uint64_t us, int64_t peak, uint32_t exitCode = 0) {
    ConsoleRun run;
    run.Command = "prog.exe";
    run.Program = "C:\\prog.exe";
    run.RunUs = us;
    run.RunMs = us / 1000;
    run.Facts.ExitCode = exitCode;
    run.Facts.ProcessorTime = us * 4;
    run.Facts.PeakWorkingSet = peak;
    return run;
}

Benchmark SampleBenchmark() {
    Benchmark benchmark;
    benchmark.Runs = 5;
    benchmark.Warmup = 1;
    benchmark.Compare = true;
    benchmark.Commands = {{"a \"x|y\"", {}}, {"b", {}}};
    for (uint64_t ms : {3000, 400, 410, 405, 400})
        benchmark.Commands[0].Runs.push_back(TimedRun(ms * 1000, 64 << 20));
    for (uint64_t ms : {800, 820, 810})
        benchmark.Commands[1].Runs.push_back(TimedRun(ms * 1000 + 5, 128 << 20, ms == 810 ? 7 : 0));
    return benchmark;
}

// The test's process text is ISO 8859-1: "\xB1" is the plus-minus sign, "\xD7" the times sign.
TEST(RunsReport, TextTellsTheSpreadFarRunsAndTheComparison) {
    const Text text = RunsReportText(English, SampleBenchmark());
    for (const char* line :
         {"Command            : a \"x|y\"\r\nRuns               : 5 (warm-up: 1)\r\n"
          "Run time           : 923.0 ms \xB1 1.161 s, median 405.0 ms, 400.0 ms to 3.000 s\r\n"
          "Processor time     : 369.2 ms \xB1 464.4 ms, median 162.0 ms, 160.0 ms to 1.200 s\r\n"
          "Peak working set   : 64.0 MiB \xB1 0.0 MiB, median 64.0 MiB, 64.0 MiB to 64.0 MiB\r\n"
          "Peak private bytes : not measured\r\n"
          "Exit code          : 0 in every run\r\nFar runs           : Run time 1 of 5, "
          "Processor time 1 of 5 (more than 3 scaled MAD from the median)\r\n"
          "Warm-up            : the first run took 7.4 times the median; --warmup may help\r\n\r\n",
          "Runs               : 3 of 5 (warm-up: 1)\r\n",
          "Exit code          : 1 of 3 runs other than 0, the last 7\r\n\r\n"
          "Compared with the first command (ratio of the means \xB1 standard deviation):\r\n"
          "b : Run time \xD7 0.88 \xB1 1.10, Peak working set \xD7 2.00 \xB1 0.00\r\n"})
        EXPECT_NE(text.find(line), Text::npos) << line << "\nin\n" << text;
    // Stopped before its first measured run (a failed warm-up run).
    Benchmark none;
    none.Runs = 5;
    none.Commands = {{"c", {}}};
    EXPECT_NE(RunsReportText(English, none).find("Exit code          : not measured"), Text::npos);
    EXPECT_NE(RunsReportText(English, none)
                  .find("Runs               : 0 of 5\r\nRun time           : not measured\r\n"),
              Text::npos);
    EXPECT_NE(RunsReportJson(none).find("\"runs\": [],\n"), Text::npos);
    const Text german = RunsReportText(German, SampleBenchmark());
    EXPECT_NE(
        german.find("Laufzeit              : 923,0 ms \xB1 1,161 s, Median 405,0 ms, 400,0 ms "
                    "bis 3,000 s\r\n"),
        Text::npos)
        << german;
    const Text markdown = RunsReportMarkdown(English, SampleBenchmark());
    EXPECT_NE(
        markdown.find("| `a \"x\\|y\"` | 5 | 923.0 ms \xB1 1.161 s | 369.2 ms \xB1 464.4 ms | "
                      "64.0 MiB \xB1 0.0 MiB | not measured | 1.00 | 1.00 |\n| `b` | 3 | "),
        Text::npos)
        << markdown;
    EXPECT_NE(markdown.find(" | not measured | 0.88 \xB1 1.10 | 2.00 \xB1 0.00 |\n"), Text::npos);
}

TEST(RunsReport, JsonAndCsvHoldEveryRunAndTheStatistics) {
    const Text json = RunsReportJson(SampleBenchmark());
    for (const char* part :
         {"{\n  \"runs\": 5,\n  \"warmup\": 1,\n  \"commands\": [\n    {\n      \"command\": \"a "
          "\\\"x|y\\\"\",\n"
          "      \"runs\": [\n        {\n          \"program\": \"C:\\\\prog.exe\",\n",
          "          \"run_time_ms\": 3000.000,\n",
          "          \"processes\": 1\n        },\n        {\n",
          "        \"run_time_ms\": {\"mean\": 923.000, \"stddev\": 1161.086, \"median\": 405.000, "
          "\"min\": 400.000, \"max\": 3000.000},\n",
          "        \"peak_private_bytes\": {\"mean\": null, \"stddev\": null, \"median\": null, "
          "\"min\": null, \"max\": null}\n      },\n      \"relative\": {\"run_time\": 1.0000, "
          "\"run_time_stddev\": 0.0000, \"peak_working_set\": 1.0000",
          "\"relative\": {\"run_time\": 0.8776, \"run_time_stddev\": 1.1040, "
          "\"peak_working_set\": 2.0000, \"peak_working_set_stddev\": 0.0000}\n    }\n  ]\n}\n"})
        EXPECT_NE(json.find(part), Text::npos) << part << "\nin\n" << json;
    const Text csv = RunsReportCsv(SampleBenchmark());
    EXPECT_EQ(csv.rfind("command,run,exit_code,run_time_ms,processor_time_ms,user_time_ms,"
                        "kernel_time_ms,peak_working_set_bytes,peak_private_bytes,processes\r\n"
                        "\"a \"\"x|y\"\"\",1,0,3000.000,1200.000,0,0,67108864,,1\r\n",
                        0),
              0u)
        << csv;
    EXPECT_NE(csv.find("\r\n\"b\",3,7,810.005,324.002,0,0,134217728,,1\r\n"), Text::npos) << csv;
}

TEST(RunsReport, ProgressLineInBothLanguages) {
    RunsProgress progress;
    progress.Run = 3;
    progress.Runs = 10;
    progress.Measured = 2;
    progress.MeanMs = 1234.5;
    progress.LeftKnown = true;
    progress.LeftMs = 75'000;
    EXPECT_EQ(ProgressLine(English, "prog 1", progress),
              "prog 1: run 3/10, mean 1.235 s, 1 min 15 s left");
    progress.Warmup = true;
    progress.Measured = 0;
    EXPECT_EQ(ProgressLine(German, "prog 1", progress),
              "prog 1: Aufw\xE4rmen 3/10, noch 1 min 15 s");
}

} // namespace
