#include "monitor/sampling.h"

#include <cstdint>

void BeginObservation(MonitorState& state, uint32_t tickBeforeLaunch) {
    state.Readings.Row = {};
    FreeText(state.ValuesText);
    state.ExtremesSeeded.store(0);
    StartCpuBaseline(state.ObservedProgram.Sampler, tickBeforeLaunch);
}

RecordedPass PassOf(const Readings& readings, uint64_t msSinceStart) {
    // Past 49 days the time stays at the last the record can hold; a load
    // beyond 32 bits would take more processors than any system has.
    constexpr uint64_t MostMs = UINT32_MAX;
    constexpr int64_t MostLoad = INT32_MAX;
    const int64_t load = readings.Row[CpuCurrent];
    return {static_cast<uint32_t>(msSinceStart < MostMs ? msSinceStart : MostMs),
            static_cast<int32_t>(load < MostLoad ? load : MostLoad), readings.Row[RamCurrent]};
}
