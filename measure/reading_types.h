// The readings both programs measure and show: the six rows of the readings
// block, the load's sampler and scale, and the two languages.
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t ReadingRows = 6;

// Languages chosen by the settings key "Language".
constexpr int8_t German = 0;
constexpr int8_t English = 1;

// Rows of the readings block, also the order of the six readings.
enum ReadingRow : int32_t {
    CpuMinimum = 0,
    CpuMaximum = 1,
    RamMinimum = 2,
    RamMaximum = 3,
    CpuCurrent = 4,
    RamCurrent = 5,
};

struct Readings {
    int32_t CpuMHz = 0;
    int32_t RamMB = 0;
    // Indexed by ReadingRow. Loads in whole percent; memory in bytes, 64 bits
    // wide so that a working set of 2 GiB or more keeps its true size.
    std::array<int64_t, ReadingRows> Row{};
};

// What the load of the next sample is measured against: the process's kernel
// plus user time (100 ns units) and the tick count (ms) of the previous sample.
// LastLoad is that sample's load before any scale or limit, kept for a pass
// whose tick has not moved.
struct CpuSampler {
    uint64_t LastProcessTime = 0;
    uint32_t LastTickCount = 0;
    int64_t LastLoad = 0;
};

// How a load is shown (the CpuScale setting).
enum CpuScaleMode : int8_t {
    CpuScaleOneClamped = 0, // whole percent of one processor, 0..100
    CpuScaleMachine = 1,    // percent of the whole machine, 0..100
    CpuScaleOneOpen = 2,    // percent of one processor, no upper limit
};

// A local date and time of day, as the log and the graph's title write it.
struct LocalTime {
    int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
