// The passes of an observation, the same for the window and the console: a
// watch is read once per interval, each pass goes into the run's record and
// is handed to the program that shows it, until the program ends or the
// watching is stopped.
//
// The loop is handed a Watch:
//   WatchReading Read()        the figures of now
//   bool Ended()               whether the program has ended
//   WatchWait Pause(uint64_t)  waits until that Now(), the stop or the end
//   uint64_t Now()             the ms clock the record's start was read on
// and a Show:
//   void Pass(const ShownPass&) a pass, already in the record
//   void Ended()                the end was found (not called on a stop)
#pragma once

#include <cstdint>

#include "measure/load.h"
#include "measure/run_record.h"
#include "services/process_io.h"
#include "services/process_times.h"

// One reading of the program's figures; -1: not read (the access the
// process was opened with may not give it).
struct WatchReading {
    CpuTimes Times; // kernel and user, 100 ns units; 0 when not read
    uint64_t Clock = 0; // when they were read: a fine clock in 100 ns units; 0: none
    int64_t WorkingSet = -1;
    int64_t PeakWorkingSet = -1; // as the system recorded it
    int64_t PeakPrivate = -1;    // commit
    IoFigures Io;                // what it read and wrote so far
};

enum class WatchWait { Interval, Stop, Ended };

// The window's worker takes its first pass 250 ms after the start, to give
// the new process time to come up; brenkrun keeps the same pace.
constexpr uint64_t FirstPassMs = 250;

struct PassPlan {
    int32_t IntervalMs = 1000;
    int8_t CpuScale = 0;
    int32_t Processors = 1;
    uint64_t FirstPass = 0; // the Now() of the first pass
};

// What the passes learned, kept while the program is watched (the window
// starts the loop again when the program outlived a quit).
struct PassTally {
    uint64_t StartMs = 0;   // the Now() the run began at
    PassLoads Loads;
    CpuTimes Times;         // since watching began; the last reading that did not shrink
    CpuTimes Before;        // what a watched process had used before watching began
    bool Ended = false;     // the program's end was found
    uint64_t EndMs = 0;     // the Now() it was found at
};

// A pass as it is shown: the record's pass (its working set -1 when it
// could not be read), and the load before its scale.
struct ShownPass {
    RecordedPass Pass;
    int64_t Load = 0;
};

// A new observation: the record begun at startMs, the tally fresh. A program
// started by us has used no time at startMs; a process watched after its
// start (attached) has, and that time belongs to no pass, nor to the run.
void BeginTally(PassTally& tally, uint64_t startMs);
void AttachTally(PassTally& tally, const WatchReading& first);

// The system's own figures of a reading into the record: the time since
// watching began, the peaks. A peak of 0 is no reading: a process that ran
// at all held memory, so only counters of a process already gone read 0.
void TakeReading(RunRecord& record, PassTally& tally, const WatchReading& reading);

// One pass at now: the reading taken, the load, and the pass appended.
ShownPass TakePass(RunRecord& record, PassTally& tally, const WatchReading& reading,
                   uint64_t now, const PassPlan& plan);

template <typename Watch, typename Show>
void RunPasses(RunRecord& record, PassTally& tally, Watch& watch, Show& show,
               const PassPlan& plan) {
    const auto interval = static_cast<uint64_t>(plan.IntervalMs > 0 ? plan.IntervalMs : 1);
    uint64_t next = plan.FirstPass;
    for (;;) {
        const WatchWait wait = watch.Pause(next);
        if (wait == WatchWait::Stop) return;
        if (wait == WatchWait::Ended) break;
        const uint64_t now = watch.Now();
        const WatchReading reading = watch.Read();
        // A pass that overlaps the end reads nothing true (its working set
        // is gone): it is not kept.
        if (watch.Ended()) break;
        show.Pass(TakePass(record, tally, reading, now, plan));
        // The pace of the interval from the first pass; a pass that took
        // longer than one skips the times it missed.
        while (next <= now)
            next += interval;
    }
    tally.Ended = true;
    tally.EndMs = watch.Now();
    record.NoteEnd(tally.EndMs);
    show.Ended();
}
