#include "monitor/language.h"
#include "monitor/readings.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(SampleCpuLoad, IsTimeGrowthOverTickGrowthInWholePercent) {
    const struct {
        uint64_t lastTime, time; // kernel + user, 100 ns
        uint32_t lastTick, tick; // ms
        int64_t previous, load;
        const char* why;
    } rows[] = {
        {0, 5'000'000, 0, 1000, 7, 50, "half a second of a second"},
        {0, 2'500'000 + 2'500'000, 1000, 2000, 7, 50, "kernel and user time both count"},
        {0, 9'999, 0, 999, 7, 0, "truncated"},
        {0, 10'000'000, 0, 1000, 0, 100, "one full processor"},
        {0, 20'000'000, 0, 1000, 0, 200, "two processors, clamped later"},
        {5'000'000, 4'000'000, 0, 1000, 9, -10, "shrinking times give a negative load"},
        {0xFFFFFF00ull, 0xFFFFFF00ull + 8'000'000, 0, 1000, 0, 80, "no wrap at 32 bits"},
        {0, 1'000'000, 5000, 5000, 7, 7, "same tick keeps the last load"},
        {0, 5'000'000, 0xFFFFFC18u, 0, 7, 50, "a wrapped tick still measures 1000 ms"},
        {0, 1'000'000, 5000, 4000, 7, 7, "a tick behind the last keeps the last load"},
    };
    for (const auto& row : rows) {
        CpuSampler sampler{row.lastTime, row.lastTick};
        EXPECT_EQ(SampleCpuLoad(sampler, row.time, row.tick, row.previous), row.load) << row.why;
        EXPECT_EQ(sampler.LastProcessTime, row.time) << row.why;
        EXPECT_EQ(sampler.LastTickCount, row.tick) << row.why;
    }
}

TEST(SampleCpuLoad, FirstPassMeasuresFromTheLaunch) {
    CpuSampler sampler{123'456'789'000ull, 77}; // left over from an earlier observation
    StartCpuBaseline(sampler, 40'000);
    EXPECT_EQ(SampleCpuLoad(sampler, 2'000'000, 40'250, -1), 80);
    EXPECT_EQ(SampleCpuLoad(sampler, 7'000'000, 41'250, -1), 50);
}

Readings WithCurrent(Readings readings, int64_t cpu, int64_t ram) {
    readings.Row[CpuCurrent] = cpu;
    readings.Row[RamCurrent] = ram;
    return readings;
}

TEST(UpdateExtremes, SeedsMinimumsAndWidensStrictly) {
    std::atomic<int8_t> seeded{0};
    Readings readings;
    readings.CpuMHz = 2400;
    readings = WithCurrent(readings, 30, 5'000'000);
    UpdateExtremes(readings, seeded);
    EXPECT_EQ(seeded.load(), 1);
    EXPECT_EQ(readings.Row, (std::array<int64_t, 6>{30, 30, 5'000'000, 5'000'000, 30, 5'000'000}));

    readings = WithCurrent(readings, 30, 5'000'000); // equal readings change nothing
    UpdateExtremes(readings, seeded);
    EXPECT_EQ(readings.Row, (std::array<int64_t, 6>{30, 30, 5'000'000, 5'000'000, 30, 5'000'000}));

    readings = WithCurrent(readings, 150, 4'000'000);
    UpdateExtremes(readings, seeded);
    EXPECT_EQ(readings.Row,
              (std::array<int64_t, 6>{30, 100, 4'000'000, 5'000'000, 100, 4'000'000}));

    readings = WithCurrent(readings, -4, 3'000'000'000LL); // beyond 2 GiB stays positive
    UpdateExtremes(readings, seeded);
    EXPECT_EQ(readings.Row,
              (std::array<int64_t, 6>{0, 100, 4'000'000, 3'000'000'000LL, 0, 3'000'000'000LL}));
    EXPECT_EQ(readings.CpuMHz, 2400);
}

TEST(UpdateExtremes, MaximumsStartFromZeroNotFromTheFirstReading) {
    std::atomic<int8_t> seeded{0};
    Readings readings = WithCurrent(Readings{}, -20, 0);
    UpdateExtremes(readings, seeded);
    EXPECT_EQ(readings.Row, (std::array<int64_t, 6>{0, 0, 0, 0, 0, 0}));
}

TEST(GroupDigits, PutsDotsBetweenGroupsOfThree) {
    const struct {
        int64_t value;
        const char* text;
    } rows[] = {
        {0, "0"},
        {100, "100"},
        {999, "999"},
        {1000, "1.000"},
        {999999, "999.999"},
        {1000000, "1.000.000"},
        {1234567, "1.234.567"},
        {2147483647, "2.147.483.647"},
        {1LL << 40, "1.099.511.627.776"},
        {INT64_MAX, "9.223.372.036.854.775.807"},
        {-1, "-1"},
        {-123, "-123"},
        {-1234, "-1.234"},
        {INT64_MIN, "-9.223.372.036.854.775.808"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(GroupDigits(row.value), row.text) << row.value;
}

TEST(ValuesText, JoinsTheRowsWithTheirBreaks) {
    MonitorState state;
    ComposeMonitorTexts(state);
    EXPECT_EQ(ValuesText(state.Readings, state.RowBreaks), "0\n0\n\n0\n0\n\n0\n0");
    state.Readings.Row = {0, 37, 1236992, 5341184, 3, 4988928};
    EXPECT_EQ(ValuesText(state.Readings, state.RowBreaks),
              "0\n37\n\n1.236.992\n5.341.184\n\n3\n4.988.928");
}

} // namespace
