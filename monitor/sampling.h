// The window's part of the passes the measuring core takes: each pass shown
// in the readings block, with its extremes, and in the log.
#pragma once

#include <cstdint>

#include "measure/pass_loop.h"
#include "monitor/readings.h"
#include "monitor/state.h"

// Readies the record for a new observation before the worker starts:
// readings 0, no values text (so nothing of an earlier observation can be
// shown again), extremes unseeded, the record and the tally begun at
// startMs, and the first pass FirstPassMs later.
void BeginObservation(MonitorState& state, uint64_t startMs);

// A pass into the readings: the current load and working set, the extremes
// and the values text.
void ShowPass(MonitorState& state, const ShownPass& shown);

// The worker's hand-over to the window (RunPasses's Show). Sink: the
// platform's part,
//   void HandOver(const Text&)   the values text to the window (wakes the
//                                main loop)
//   void LogPass(const Readings&, uint64_t msSinceStart)
template <typename Sink> struct WindowShow {
    MonitorState& state;
    Sink& sink;

    // The record already holds the pass, so the views the hand-over wakes
    // find it there: one wake-up a pass serves them all. The log holds what
    // the window showed; its write waits for no view.
    void Pass(const ShownPass& shown) {
        ShowPass(state, shown);
        sink.HandOver(state.ValuesText);
        sink.LogPass(state.Readings, shown.Pass.Ms);
    }
    // One more hand-over of the last figures wakes the main loop to notice
    // the end now rather than at its next message.
    void Ended() { sink.HandOver(state.ValuesText); }
};

// The watch as the worker sees it: a cleared Monitoring flag stops it as the
// stop event does.
template <typename Watch> struct MonitoredWatch {
    const MonitorState& state;
    Watch& watch;

    WatchReading Read() { return watch.Read(); }
    bool Ended() { return watch.Ended(); }
    uint64_t Now() { return watch.Now(); }
    WatchWait Pause(uint64_t deadline) {
        if (state.Monitoring.load() != 1) return WatchWait::Stop;
        return watch.Pause(deadline);
    }
};

// The worker's course: passes until the program ends or the stop.
template <typename Watch, typename Sink>
void RunSamplingWorker(MonitorState& state, Watch& watch, Sink& sink, int32_t interval) {
    auto& program = state.ObservedProgram;
    MonitoredWatch<Watch> monitored{state, watch};
    WindowShow<Sink> show{state, sink};
    PassPlan plan;
    plan.IntervalMs = interval;
    plan.CpuScale = state.Options.CpuScale;
    plan.Processors = state.ProcessorCount;
    plan.FirstPass = program.FirstPass;
    RunPasses(program.Record, program.Tally, monitored, show, plan);
}
