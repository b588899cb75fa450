#include "monitor/process_table.h"

#include <gtest/gtest.h>

#include "measure/texts.h"

namespace {

// A make with three compilers: one still running, one never read.
ProcessList Build() {
    ProcessList list;
    list.Started(40, 1, "make.exe", 0);
    for (const auto& [pid, name, peak] :
         {std::tuple{12, "cc1.exe", 300 << 20}, {31, "ld.exe", 90 << 20}, {7, "as.exe", -1}}) {
        list.Started(pid, 40, name, 10);
        ProcessFigures figures;
        figures.TimesRead = peak > 0;
        figures.Times = {2'000'000, 14'000'000};
        figures.PeakWorkingSet = peak;
        figures.Io.ReadBytes = peak > 0 ? 3 << 20 : -1;
        if (peak > 0) list.Update(pid, figures);
        if (pid != 31) list.Ended(pid, 900, pid == 7 ? 0xC0000005 : 0);
    }
    return list;
}

std::vector<std::string> Names(const ProcessList& list, ProcessOrder order) {
    std::vector<std::string> names;
    for (uint32_t index : SortedProcesses(list, order))
        names.emplace_back(list.At(index).Name);
    return names;
}

TEST(ProcessTable, SortedByTheClickedColumnWithTheUnmeasuredLast) {
    const ProcessList list = Build();
    ProcessOrder order;
    using Rows = std::vector<std::string>;
    EXPECT_EQ(Names(list, order), (Rows{"cc1.exe", "ld.exe", "make.exe", "as.exe"}));
    order = ClickedOrder(order, ProcessColumn::PeakWorkingSet);
    EXPECT_EQ(Names(list, order), (Rows{"ld.exe", "cc1.exe", "make.exe", "as.exe"}))
        << "the same header again: smallest first, the unmeasured still last";
    order = ClickedOrder(order, ProcessColumn::Pid);
    EXPECT_FALSE(order.Reversed);
    EXPECT_EQ(Names(list, order), (Rows{"as.exe", "cc1.exe", "ld.exe", "make.exe"}));
    EXPECT_EQ(Names(list, ClickedOrder(order, ProcessColumn::Pid)),
              (Rows{"make.exe", "ld.exe", "cc1.exe", "as.exe"}));
    EXPECT_EQ(Names(list, {ProcessColumn::Name, false}),
              (Rows{"as.exe", "cc1.exe", "ld.exe", "make.exe"}));
    // The running after every ended one, as they have no code yet.
    EXPECT_EQ(Names(list, {ProcessColumn::ExitCode, false}),
              (Rows{"cc1.exe", "as.exe", "make.exe", "ld.exe"}));
}

TEST(ProcessTable, CellsInBothLanguages) {
    const ProcessList list = Build();
    const ProcessEntry cc = list.At(1), ld = list.At(2), as = list.At(3);
    EXPECT_EQ(ProcessCellText(English, cc, ProcessColumn::ProcessorTime), "1.600 s");
    EXPECT_EQ(ProcessCellText(German, cc, ProcessColumn::ProcessorTime), "1,600 s");
    EXPECT_EQ(ProcessCellText(English, cc, ProcessColumn::PeakWorkingSet), "300.0 MiB");
    EXPECT_EQ(ProcessCellText(English, cc, ProcessColumn::Io), "3.0 MiB / not measured");
    EXPECT_EQ(ProcessCellText(English, cc, ProcessColumn::ExitCode), "0");
    EXPECT_EQ(ProcessCellText(English, ld, ProcessColumn::ExitCode), "running");
    EXPECT_EQ(ProcessCellText(English, as, ProcessColumn::ExitCode), "0xC0000005 (Access violation)");
    EXPECT_EQ(ProcessCellText(German, as, ProcessColumn::PeakWorkingSet), "nicht gemessen");
    EXPECT_EQ(ProcessCellText(German, as, ProcessColumn::Io), "nicht gemessen");
    EXPECT_EQ(ProcessCellText(German, as, ProcessColumn::Pid), "7");
    EXPECT_EQ(ProcessColumnTitle(English, ProcessColumn::Io), "I/O: read / written");
}

} // namespace
