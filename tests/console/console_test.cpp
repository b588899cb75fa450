// brenkrun's platform-neutral logic: its options, the program's command
// line, and the two reports.
#include <gtest/gtest.h>

#include "services/command_line.h"
#include "console/run_options.h"
#include "console/run_report.h"
#include "monitor/state.h"

namespace {

Text Parse(std::vector<Text> words, RunOptions& options) {
    return ParseRunOptions(words, options);
}

TEST(RunOptions, EachFaultIsOneLineAndAProgramKeepsItsOwnOptions) {
    for (std::vector<Text> words : std::vector<std::vector<Text>>{
             {}, {"--interval", "49", "p"}, {"--interval", "10001", "p"}, {"--interval=5x", "p"},
             {"--cpu-scale", "3", "p"}, {"--bogus", "p"}, {"--log"}, {"--quiet=1", "p"},
             {"--pid", "0"}, {"--pid", "12", "p"}, {"--children", "--pid", "12"},
             {"--plot-size", "800", "p"}, {"--json", "", "p"}, {"--", ""}}) {
        RunOptions options;
        const Text problem = Parse(words, options);
        EXPECT_EQ(problem.rfind("brenkrun: ", 0), 0u) << problem;
        EXPECT_EQ(problem.find('\n'), Text::npos);
    }
    RunOptions options;
    EXPECT_EQ(Parse({"--interval=50", "--children", "--cpu-scale", "2", "--plot-size", "640x480",
                     "--json", "-", "--", "--quiet", "-x"},
                    options),
              "");
    EXPECT_EQ(options.IntervalMs, 50);
    EXPECT_TRUE(options.Children);
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
              "Peak working set   : 68,222,976 Bytes\r\n"
              "Working set        : 1,236,992 to 5,341,184 Bytes at the passes\r\n"
              "Peak private bytes : not measured\r\n"
              "Passes             : 2 every 1,000 ms\r\n");
    const Text german = RunReportText(German, run);
    EXPECT_NE(german.find("Laufzeit              : 2,345 s\r\n"), Text::npos) << german;
    EXPECT_NE(german.find("(Zugriffsverletzung)"), Text::npos);
    EXPECT_NE(german.find("Durchg\xE4nge            : 2 alle 1.000 ms"), Text::npos) << german;
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
              "  \"passes\": 2,\n  \"interval_ms\": 1000,\n  \"cpu_scale\": 1,\n"
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

} // namespace
