#include "monitor/readings.h"

void StartCpuBaseline(CpuSampler& sampler, uint32_t tickBeforeLaunch) {
    sampler.LastProcessTime = 0;
    sampler.LastTickCount = tickBeforeLaunch;
}

int64_t SampleCpuLoad(CpuSampler& sampler, uint64_t processTime, uint32_t tick,
                      int64_t previousLoad) {
    // Unsigned subtraction measures across the wrap of the tick count (every
    // 49.7 days); read as signed, two samples within one tick give 0 and keep
    // the last load.
    const auto elapsed = static_cast<int32_t>(tick - sampler.LastTickCount);
    int64_t load = previousLoad;
    if (elapsed > 0) {
        // Signed: the summed thread times can shrink when a thread ends.
        const auto used = static_cast<int64_t>(processTime - sampler.LastProcessTime);
        load = used / elapsed / 100;
    }
    sampler.LastProcessTime = processTime;
    sampler.LastTickCount = tick;
    return load;
}

int64_t ScaledLoad(int64_t load, int8_t scale, int32_t processors) {
    if (load < 0) return 0;
    if (scale == CpuScaleOneOpen) return load;
    // Dividing the truncated percent again truncates as dividing the exact
    // load would: floor(floor(x) / n) is floor(x / n).
    if (scale == CpuScaleMachine && processors > 1) load /= processors;
    return load > 100 ? 100 : load;
}

void UpdateExtremes(Readings& readings, std::atomic<int8_t>& seeded, int8_t scale,
                    int32_t processors) {
    auto& row = readings.Row;
    row[CpuCurrent] = ScaledLoad(row[CpuCurrent], scale, processors);
    if (seeded.load() == 0) {
        row[RamMinimum] = row[RamCurrent];
        row[CpuMinimum] = row[CpuCurrent];
        seeded.store(1);
    }
    if (row[CpuCurrent] > row[CpuMaximum]) row[CpuMaximum] = row[CpuCurrent];
    if (row[CpuCurrent] < row[CpuMinimum]) row[CpuMinimum] = row[CpuCurrent];
    if (row[RamCurrent] > row[RamMaximum]) row[RamMaximum] = row[RamCurrent];
    if (row[RamCurrent] < row[RamMinimum]) row[RamMinimum] = row[RamCurrent];
}

namespace {

// 21 digit positions: more than the 19 digits of the largest 64-bit magnitude.
constexpr const char* GroupMask = "###.###.###.###.###.###.###";

} // namespace

Text GroupDigits(int64_t value) {
    Text digits = IntegerToText(value);
    const bool negative = TextEquals(TextPart(digits, 1, 1), "-");
    if (negative) digits = TextPart(digits, 2, TextLength(digits));
    const int32_t count = TextLength(digits);
    const int32_t maskLength = TextLength(GroupMask);

    // Find the mask position from which exactly count digit places remain.
    int32_t start = 1;
    int32_t places = 0;
    for (int32_t position = maskLength; position >= 1; --position) {
        if (TextEquals(TextPart(GroupMask, position, 1), "#") && ++places == count) {
            start = position;
            break;
        }
    }

    Text grouped;
    if (negative) AppendText(grouped, "-");
    int32_t next = 1;
    for (int32_t position = start; position <= maskLength; ++position) {
        if (TextEquals(TextPart(GroupMask, position, 1), "."))
            AppendText(grouped, ".");
        else
            AppendText(grouped, TextPart(digits, next++, 1));
    }
    return grouped;
}

Text ValuesText(const Readings& readings, const std::array<Text, ReadingRows>& rowBreaks) {
    Text values;
    for (int32_t i = 0; i < ReadingRows; ++i) {
        AppendText(values, GroupDigits(readings.Row[i]));
        AppendText(values, rowBreaks[i]);
    }
    return values;
}
