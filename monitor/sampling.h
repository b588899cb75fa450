// The sampling worker's course, apart from the platform: passes, the pause
// between them, the record of the passes shown, and what ends the worker.
// The platform's part is a Sampling:
//
//   void Sample(MonitorState&)   the processor and memory figures into the
//                                current readings and the sampler, the
//                                system's peaks into the record
//   bool Ended()                 whether the observed program has ended
//   void HandOver(const Text&)   the values text to the window (wakes the
//                                main loop)
//   PauseEnd Pause(int32_t ms)   waits up to ms for the stop request or the
//                                program's end
//   uint64_t Tick()              the ms clock the record's start was read on
//   void LogPass(const Readings&, uint64_t msSinceStart)
//                                the log row of a pass shown
#pragma once

#include <cstdint>

#include "monitor/readings.h"
#include "monitor/run_record.h"
#include "monitor/state.h"

enum class PauseEnd { Interval, Stop, ProgramEnded };

// Readies the record for a new observation before the worker starts:
// readings 0, no values text (so nothing of an earlier observation can be
// shown again), extremes unseeded, and the baseline of the first load at
// tickBeforeLaunch.
void BeginObservation(MonitorState& state, uint32_t tickBeforeLaunch);

// A pass as the record keeps it: the time since the start, the load (in the
// run's scale) and the working set, each held to what the record can take.
RecordedPass PassOf(const Readings& readings, uint64_t msSinceStart);

// One pass: sample, then the extremes and the values text. A pass that
// overlaps the program's end reads nothing true (its working set is gone),
// so it keeps the readings of the pass before.
template <typename Sampling> void SamplingPass(MonitorState& state, Sampling& watch) {
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

// The pass about to be shown, into the record, so that the views the
// hand-over wakes find it there: one wake-up a pass serves them all. A
// program that ended before the first pass showed nothing, and nothing is
// kept. Returns the pass's time since the start, or -1 when none was kept.
template <typename Sampling> int64_t KeepShownPass(MonitorState& state, Sampling& watch) {
    if (state.ValuesText.empty()) return -1;
    auto& record = state.ObservedProgram.Record;
    const uint64_t start = record.Facts().StartTick;
    const uint64_t now = watch.Tick();
    const uint64_t ms = now > start ? now - start : 0;
    record.Append(PassOf(state.Readings, ms));
    return static_cast<int64_t>(ms);
}

// The worker: while Monitoring is 1, a pass, the hand-over, and the pause.
// The stop request ends it at once; so does the program's end, after one
// more hand-over of the last figures, which wakes the main loop to notice
// the end now rather than at its next message.
template <typename Sampling>
uint32_t RunSamplingWorker(MonitorState& state, Sampling& watch, int32_t interval) {
    while (state.Monitoring.load() == 1) {
        SamplingPass(state, watch);
        const int64_t kept = KeepShownPass(state, watch);
        watch.HandOver(state.ValuesText);
        // The log holds what the window showed; its write waits for no view.
        if (kept >= 0) watch.LogPass(state.Readings, static_cast<uint64_t>(kept));
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
