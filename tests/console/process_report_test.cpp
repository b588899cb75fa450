#include "console/process_report.h"

#include <gtest/gtest.h>

#include "measure/reading_types.h"

namespace {

// A tree: make and two compilers, one still running, one read only in part.
ConsoleRun Tree() {
    ConsoleRun run;
    run.Children = true;
    run.Io = {68'292'795, 67'164'648, -1, 1015, 719, -1, 2781};
    run.Tree.Started(10, 4, "make.exe", 0);
    run.Tree.Started(20, 10, "cc \"1\".exe", 5);
    run.Tree.Started(30, 10, "cc2.exe", 7);
    ProcessFigures cc;
    cc.TimesRead = true;
    cc.Times = {1'230'000, 10'000'000};
    cc.PeakWorkingSet = 300 << 20;
    cc.Io = {4096, 1'000'000, -1, 2, 3, -1, 900};
    run.Tree.Update(20, cc);
    run.Tree.Ended(20, 1205, 1);
    ProcessFigures make;
    make.PeakWorkingSet = 20 << 20;
    run.Tree.Update(10, make);
    run.Tree.Ended(10, 1300, 0);
    return run;
}

TEST(ProcessReport, TotalsAndTheLargestProcessesFirst) {
    ConsoleRun run = Tree();
    run.ProcessRows = 2;
    EXPECT_EQ(
        ProcessReportText(English, run, 12),
        "Read         : 68,292,795 Bytes in 1,015 operations\r\n"
        "Written      : 67,164,648 Bytes in 719 operations\r\n"
        "Other I/O    : not measured\r\n"
        "Page faults  : 2,781\r\n"
        "Processes, largest peak working set first: 2 of 3\r\n"
        "  Peak working set  Processor time   Read    Written  Exit code  PID  Name\r\n"
        "       314,572,800         1.123 s  4,096  1,000,000          1   20  cc \"1\".exe\r\n"
        "        20,971,520               -      -          -          0   10  make.exe\r\n");
    run.ProcessRows = 0;
    const Text german = ProcessReportText(German, run, 12);
    EXPECT_NE(german.find("Gelesen      : 68.292.795 Bytes in 1.015 Vorg\xE4nge\r\n"), Text::npos)
        << german;
    EXPECT_NE(german.find(" l\xE4uft   30  cc2.exe\r\n"), Text::npos) << "the running one, last";
    run.Children = false;
    EXPECT_EQ(ProcessReportText(English, run, 12).find("Processes"), Text::npos);
}

TEST(ProcessReport, JsonTotalsAndEveryProcessUnmeasuredAsNull) {
    Text json;
    AppendProcessJson(json, Tree());
    const Text ended =
        "  \"io_read_bytes\": 68292795,\n  \"io_write_bytes\": 67164648,\n"
        "  \"io_other_bytes\": null,\n  \"io_read_operations\": 1015,\n"
        "  \"io_write_operations\": 719,\n  \"io_other_operations\": null,\n"
        "  \"page_faults\": 2781,\n"
        "  \"process_list\": [\n"
        "    {\"name\": \"make.exe\", \"pid\": 10, \"parent_pid\": 4, \"start_ms\": 0, "
        "\"end_ms\": 1300, \"exit_code\": 0, \"processor_time_ms\": null, "
        "\"user_time_ms\": null, \"kernel_time_ms\": null, "
        "\"peak_working_set_bytes\": 20971520, \"peak_private_bytes\": null, "
        "\"io_read_bytes\": null, \"io_write_bytes\": null, \"io_other_bytes\": null, "
        "\"io_read_operations\": null, \"io_write_operations\": null, "
        "\"io_other_operations\": null, \"page_faults\": null},\n"
        "    {\"name\": \"cc \\\"1\\\".exe\", \"pid\": 20, \"parent_pid\": 10, \"start_ms\": 5, "
        "\"end_ms\": 1205, \"exit_code\": 1, \"processor_time_ms\": 1123, "
        "\"user_time_ms\": 1000, \"kernel_time_ms\": 123, "
        "\"peak_working_set_bytes\": 314572800, \"peak_private_bytes\": null, "
        "\"io_read_bytes\": 4096, \"io_write_bytes\": 1000000, \"io_other_bytes\": null, "
        "\"io_read_operations\": 2, \"io_write_operations\": 3, "
        "\"io_other_operations\": null, \"page_faults\": 900},\n";
    EXPECT_EQ(json.substr(0, ended.size()), ended);
    // The running process: no end, no exit code, the list closed after it.
    EXPECT_EQ(
        json.find("    {\"name\": \"cc2.exe\", \"pid\": 30, \"parent_pid\": 10, \"start_ms\": 7, "
                  "\"end_ms\": null, \"exit_code\": null, \"processor_time_ms\": null, "),
        ended.size());
    EXPECT_EQ(json.substr(json.size() - 26), "\"page_faults\": null}\n  ],\n");
}

} // namespace
