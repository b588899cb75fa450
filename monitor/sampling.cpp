#include "monitor/sampling.h"

void BeginObservation(MonitorState& state, uint64_t startMs) {
    auto& program = state.ObservedProgram;
    state.Readings.Row = {};
    FreeText(state.ValuesText);
    program.Io = {};
    program.Tree = {};
    state.ExtremesSeeded.store(0);
    program.Record.Begin(startMs, state.Options.CpuScale,
                         state.IntervalTable[static_cast<size_t>(state.IntervalIndex)]);
    BeginTally(program.Tally, startMs);
    program.FirstPass = startMs + FirstPassMs;
}

void ShowPass(MonitorState& state, const ShownPass& shown) {
    state.Readings.Row[CpuCurrent] = shown.Load;
    state.Readings.Row[RamCurrent] = shown.Pass.WorkingSet;
    UpdateExtremes(state.Readings, state.ExtremesSeeded, state.Options.CpuScale,
                   state.ProcessorCount);
    state.ValuesText = ValuesText(state.Readings, state.RowBreaks);
}
