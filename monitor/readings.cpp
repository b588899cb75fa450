#include "monitor/readings.h"

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

Text ValuesText(const Readings& readings, const std::array<Text, ReadingRows>& rowBreaks) {
    Text values;
    for (int32_t i = 0; i < ReadingRows; ++i) {
        AppendText(values, GroupDigits(readings.Row[i]));
        AppendText(values, rowBreaks[i]);
    }
    return values;
}
