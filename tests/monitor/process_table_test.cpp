#include "monitor/process_table.h"

#include <gtest/gtest.h>

#include "measure/texts.h"

namespace {

// A make (still running) with a compiler and an assembler that crashed
// before anything of it was read.
TEST(ProcessTable, CellsAndOrderWithTheUnmeasuredAndTheRunningLast) {
    ProcessList list;
    list.Started(40, 1, "make.exe", 0);
    list.Started(12, 40, "cc1.exe", 10);
    list.Started(7, 40, "as.exe", 10);
    ProcessFigures figures;
    figures.TimesRead = true;
    figures.Times = {2'000'000, 14'000'000};
    figures.PeakWorkingSet = 300 << 20;
    figures.Io.ReadBytes = 3 << 20;
    list.Update(12, figures);
    list.Ended(12, 900, 0);
    list.Ended(7, 950, 0xC0000005);
    const ProcessEntry cc = list.At(1), as = list.At(2);
    EXPECT_EQ(ProcessCellText(German, cc, ProcessColumn::ProcessorTime), "1,600 s");
    EXPECT_EQ(ProcessCellText(English, cc, ProcessColumn::PeakWorkingSet), "300.0 MiB");
    EXPECT_EQ(ProcessCellText(English, cc, ProcessColumn::Io), "3.0 MiB / not measured");
    EXPECT_EQ(ProcessCellText(English, as, ProcessColumn::ExitCode), "0xC0000005 (Access violation)");
    EXPECT_EQ(ProcessCellText(German, as, ProcessColumn::Io), "nicht gemessen");
    EXPECT_EQ(ProcessCellText(English, list.At(0), ProcessColumn::ExitCode), "running");

    using Rows = std::vector<uint32_t>;
    EXPECT_EQ(SortedProcesses(list, {}), (Rows{1, 0, 2})) << "largest peak first, unmeasured last";
    const ProcessOrder smallest = ClickedOrder({}, ProcessColumn::PeakWorkingSet);
    EXPECT_EQ(SortedProcesses(list, smallest), (Rows{1, 0, 2})) << "turned round, still last";
    EXPECT_EQ(SortedProcesses(list, ClickedOrder(smallest, ProcessColumn::ExitCode)), (Rows{1, 2, 0}))
        << "another column from its smallest, the running after the ended";
}

} // namespace
