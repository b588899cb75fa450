// The sampling worker's course, apart from the platform: passes, the pause
// between them, and what ends the worker. The platform's part is a Watch:
//
//   void Sample(MonitorState&)   the processor and memory figures into the
//                                current readings and the sampler
//   bool Ended()                 whether the observed program has ended
//   void HandOver(const Text&)   the values text to the window (wakes the
//                                main loop)
//   PauseEnd Pause(int32_t ms)   waits up to ms for the stop request or the
//                                program's end
//   void Passed(MonitorState&)   after each pass's hand-over: what else
//                                keeps the pass (the log's row, the summary)
#pragma once

#include <cstdint>

#include "monitor/readings.h"
#include "monitor/state.h"

enum class PauseEnd { Interval, Stop, ProgramEnded };

// Readies the record for a new observation before the worker starts:
// readings 0, no values text (so nothing of an earlier observation can be
// shown again), extremes unseeded, and the baseline of the first load at
// tickBeforeLaunch.
void BeginObservation(MonitorState& state, uint32_t tickBeforeLaunch);

// One pass: sample, then the extremes and the values text. A pass that
// overlaps the program's end reads nothing true (its working set is gone),
// so it keeps the readings of the pass before.
template <typename Watch> void SamplingPass(MonitorState& state, Watch& watch) {
    const Readings kept = state.Readings;
    const CpuSampler keptSampler = state.ObservedProgram.Sampler;
    watch.Sample(state);
    if (watch.Ended()) {
        state.Readings = kept;
        state.ObservedProgram.Sampler = keptSampler;
        return;
    }
    UpdateExtremes(state.Readings, state.ExtremesSeeded, state.Options.CpuScale,
                   state.ProcessorCount);
    state.ValuesText = ValuesText(state.Readings, state.RowBreaks);
}

// The worker: while Monitoring is 1, a pass, the hand-over, and the pause.
// The stop request ends it at once; so does the program's end, after one
// more hand-over of the last figures, which wakes the main loop to notice
// the end now rather than at its next message.
template <typename Watch>
uint32_t RunSamplingWorker(MonitorState& state, Watch& watch, int32_t interval) {
    while (state.Monitoring.load() == 1) {
        SamplingPass(state, watch);
        watch.HandOver(state.ValuesText);
        watch.Passed(state);
        switch (watch.Pause(interval)) {
        case PauseEnd::Stop:
            return 0;
        case PauseEnd::ProgramEnded:
            watch.HandOver(state.ValuesText);
            return 0;
        case PauseEnd::Interval:
            break;
        }
    }
    return 0;
}
