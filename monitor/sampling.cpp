#include "monitor/sampling.h"

void BeginObservation(MonitorState& state, uint32_t tickBeforeLaunch) {
    state.Readings.Row = {};
    FreeText(state.ValuesText);
    state.ExtremesSeeded.store(0);
    StartCpuBaseline(state.ObservedProgram.Sampler, tickBeforeLaunch);
}
