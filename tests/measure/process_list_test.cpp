#include "measure/process_list.h"

#include <gtest/gtest.h>

namespace {

ProcessFigures Figures(int64_t peak, uint64_t user100ns, int64_t readBytes) {
    ProcessFigures figures;
    figures.TimesRead = true;
    figures.Times = {0, user100ns};
    figures.PeakWorkingSet = peak;
    figures.Io.ReadBytes = readBytes;
    return figures;
}

TEST(ProcessList, EachProcessItsOwnFiguresAndANumberUsedAgainIsANewProcess) {
    ProcessList list;
    list.Started(10, 1, "make.exe", 0);
    list.Started(15, 10, "", 1); // named late a console host, not the program's
    list.Started(20, 10, "cc.exe", 5);
    list.Started(20, 10, "cc.exe", 9); // met again at a pass: the same process
    list.Update(20, Figures(40 << 20, 1'200'000, 6'000'000'000));
    list.Update(20, Figures(30 << 20, 1'500'000, -1)); // the peak stays, the read bytes stay
    list.Ended(20, 130, 3);
    list.Started(20, 10, "ld.exe", 140); // the number again, a new process
    list.Update(20, Figures(70 << 20, 100'000, 5));
    list.Forget(15);
    ASSERT_EQ(list.Size(), 3u);
    const ProcessEntry cc = list.At(1);
    EXPECT_EQ(cc.Name, "cc.exe");
    EXPECT_TRUE(cc.ParentPid == 10 && cc.StartMs == 5 && cc.EndMs == 130 && cc.ExitCode == 3);
    EXPECT_EQ(cc.PeakWorkingSet, 40 << 20);
    EXPECT_EQ(cc.User100ns, 1'500'000);
    EXPECT_EQ(cc.Io.ReadBytes, 6'000'000'000) << "more than 32 bits hold";
    EXPECT_EQ(cc.Io.WriteBytes, -1) << "never read: not measured";
    const ProcessEntry make = list.At(0);
    EXPECT_TRUE(make.Running() && make.ExitCode == -1 && make.PeakWorkingSet == -1 &&
                make.User100ns == -1);
    EXPECT_TRUE(list.At(2).Running());

    const std::vector<size_t> largest = LargestProcesses(list, 2);
    ASSERT_EQ(largest.size(), 2u);
    EXPECT_EQ(list.At(largest[0]).Name, "ld.exe");
    EXPECT_EQ(list.At(largest[1]).Name, "cc.exe");
    EXPECT_EQ(LargestProcesses(list, 0).back(), 0u) << "not measured goes last";
}

// 100 000 processes of a few programs, each with figures of a compiler's
// size (hundreds of MB, seconds, every counter read), and the room to grow.
TEST(ProcessList, AHundredThousandProcessesFitInAFewMegabytes) {
    ProcessList list;
    const char* names[] = {"cc1plus.exe", "as.exe", "ld.exe", "make.exe"};
    ProcessFigures figures = Figures(300 << 20, 25'000'000, 0);
    figures.Io = {50'000'000, 9'000'000, 70'000, 9000, 2000, 300, 90'000};
    for (uint32_t i = 0; i < 100'000; ++i) {
        list.Started(i + 100'000, 4000, names[i % 4], i * 50);
        list.Update(i + 100'000, figures);
        list.Ended(i + 100'000, i * 50 + 4000, 0);
    }
    EXPECT_LT(list.Bytes(), 6u << 20) << list.Bytes();
    EXPECT_EQ(list.At(99'999).Io.ReadBytes, 50'000'000);
}

} // namespace
