#include "monitor/language.h"
#include "monitor/system_info.h"
#include "services/processors.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(CeilingMHz, RaisesToTheNextMultipleOfTen) {
    const struct {
        uint32_t registry;
        int32_t shown;
    } rows[] = {
        {0, 0},
        {1, 10},
        {2394, 2400},
        {2400, 2400},
        {2401, 2410},
        {3999, 4000},
        {UINT32_MAX, INT32_MAX}, // never negative, however absurd the registry
    };
    for (const auto& row : rows)
        EXPECT_EQ(CeilingMHz(row.registry), row.shown) << row.registry;
}

TEST(InstalledMB, AddsTheReservedSlackAndTruncates) {
    const struct {
        uint64_t bytes;
        int32_t megabytes;
    } rows[] = {
        {0, 0},
        {536215552, 512},
        {536215551, 511},
        {1048576ull * 1 - 655360, 1},
        {1048576ull * 1024 - 655360, 1024},
        {8ull << 30, 8192}, // beyond 2 GiB: the true size
        {(1ull << 31) + 1, 2048},
        {UINT64_MAX, INT32_MAX},
    };
    for (const auto& row : rows)
        EXPECT_EQ(InstalledMB(row.bytes), row.megabytes) << row.bytes;
}

// Beyond 64 logical processors the caller's own group holds only some.
TEST(MachineProcessors, CountsEveryGroupAndFallsBackToTheOwnOne) {
    EXPECT_EQ(MachineProcessors(128, 64), 128);
    EXPECT_EQ(MachineProcessors(0, 8), 8);
    EXPECT_EQ(MachineProcessors(0, 0), 1);
}

TEST(SystemInfoLine, JoinsTheFiguresWithThePieces) {
    MonitorState state;
    ComposeMonitorTexts(state);
    state.Readings.CpuMHz = 2400;
    state.Readings.RamMB = 1024;
    EXPECT_EQ(SystemInfoLine(state), "CPU: ~ 2400 MHz,   RAM: 1024 MB");
    state.Readings.CpuMHz = 0;
    state.Readings.RamMB = 16384;
    EXPECT_EQ(SystemInfoLine(state), "CPU: ~ 0 MHz,   RAM: 16384 MB");
}

} // namespace
