#include "services/process_times.h"

#include "services/process_io.h"

#include <gtest/gtest.h>

namespace {

TEST(AccumulatedTimes, ThreadsThatEndStayCounted) {
    AccumulatedTimes times;
    times.Record(1, {10, 100});
    times.Record(2, {5, 50});
    EXPECT_EQ(times.EndRound().User, 150u);
    times.Record(1, {20, 200}); // 2 has ended with its last figures
    EXPECT_EQ(times.EndRound().User, 250u);
    times.Record(3, {1, 1});
    const CpuTimes total = times.EndRound(); // 1 has ended too
    EXPECT_EQ(total.Kernel, 26u);
    EXPECT_EQ(total.User, 251u);
    // An identifier used again by a new thread: its smaller figure is a new part.
    times.Record(3, {0, 0});
    EXPECT_EQ(times.EndRound().User, 251u);
}

TEST(LinuxStat, FieldsAfterANameWithBlanksAndParentheses) {
    const LinuxProcessStat stat = ParseLinuxStat(
        "4242 (a (b) c.exe) S 1 4242 9002 0 -1 4194368 1699 0 1 0 77 33 0 0 20 0 1 0 142241 "
        "1000 200 18446744073709551615\n");
    ASSERT_TRUE(stat.Valid);
    EXPECT_EQ(stat.Name, "a (b) c.exe");
    EXPECT_EQ(stat.UserTicks, 77u);
    EXPECT_EQ(stat.SystemTicks, 33u);
    EXPECT_EQ(stat.StartTicks, 142241u);
    EXPECT_EQ(stat.MinorFaults, 1699u);
    EXPECT_EQ(stat.MajorFaults, 1u);
    EXPECT_EQ(stat.State, 'S');
    EXPECT_FALSE(ParseLinuxStat("4242 (cut) S 1 2 3").Valid);
    EXPECT_FALSE(ParseLinuxStat("no name here").Valid);
}

TEST(LinuxStat, StartTicksFromUptimeAndThePick) {
    const uint64_t now = 134411760936476500ull;
    // 1422.71 s after boot; created 2.5 s before now.
    EXPECT_EQ(LinuxStartTicks(now - 25'000'000, now, "1422.71 307.68\n"), 142021);
    EXPECT_EQ(LinuxStartTicks(now, now, "x.5 1"), -1);
    EXPECT_EQ(LinuxStartTicks(now - 20'000'000'000ull, now, "1422.71 1"), -1);
    LinuxProcessPick pick(142021, 100);
    for (const uint64_t start : {5000, 142030, 90})
        pick.Consider(static_cast<uint32_t>(start), start);
    EXPECT_EQ(pick.Picked(), 142030u);
    pick.Consider(1, 141950);
    EXPECT_EQ(pick.Picked(), 0u) << "two could be it";
}

TEST(LinuxIo, CallsCountedAndWhatLinuxDoesNotKeepStaysUnknown) {
    const IoFigures io =
        ParseLinuxIo("rchar: 68292795\nwchar: 67164648\nsyscr: 1015\nsyscw: 719\nread_bytes: 4096\n"
                     "write_bytes: 67112960\ncancelled_write_bytes: 0\n",
                     "9 (w) S 1 9 9 0 -1 0 1065 0 7 0 1 2 0 0 20 0 1 0 5 0 0\n");
    EXPECT_EQ(io.ReadBytes, 68292795);
    EXPECT_EQ(io.WriteBytes, 67164648) << "wchar, not what reached the disk";
    EXPECT_TRUE(io.ReadOperations == 1015 && io.WriteOperations == 719 && io.PageFaults == 1072);
    EXPECT_TRUE(io.OtherBytes == -1 && io.OtherOperations == -1);
    // Unreadable or cut texts: unknown, never 0.
    const IoFigures cut = ParseLinuxIo("rchar: 12x\nwchar:\nsyscrr: 5\nsyscw: -3\n", "");
    EXPECT_FALSE(cut.Any() || cut.ReadOperations >= 0 || cut.WriteOperations >= 0);
    IoFigures total;
    for (const IoFigures& part : {cut, io, io})
        AddIo(total, part);
    EXPECT_TRUE(total.ReadBytes == 2 * 68292795 && total.OtherBytes == -1) << "none has it";
}

} // namespace
