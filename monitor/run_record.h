// The one record of an observation: its start, every pass, its end. The
// sampling worker appends to it; every view reads from it (the values column,
// the summary tooltip, the readings log, the history graph, the console
// report). Platform-neutral; one lock guards it, held only for copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "services/lock.h"

// One pass as the record keeps it: 16 bytes.
struct RecordedPass {
    uint32_t Ms = 0;        // since the start of the run
    int32_t Load = 0;       // processor load in the run's scale
    int64_t WorkingSet = 0; // bytes
};
static_assert(sizeof(RecordedPass) == 16, "a pass costs 16 bytes");

// The extremes of the passes so far; Seeded is false before the first.
struct RunExtremes {
    bool Seeded = false;
    int32_t LoadMinimum = 0;
    int32_t LoadMaximum = 0;
    int64_t WorkingSetMinimum = 0;
    int64_t WorkingSetMaximum = 0;
};

// What is known of a run at one moment, copied out under the lock.
struct RunFacts {
    uint64_t StartTick = 0;        // ms tick just before the launch
    uint64_t EndTick = 0;          // 0 while the program runs
    bool Finished = false;         // ExitCode and the figures are final
    uint32_t ExitCode = 0;         // valid once Finished
    uint64_t ProcessorTime = 0;    // kernel plus user, 100 ns units
    int64_t PeakWorkingSet = -1;   // bytes as the system recorded it; -1: never measured
    int64_t PeakPrivateBytes = -1; // commit; -1: never measured
    int64_t Passes = 0;            // every pass ever appended
    int8_t CpuScale = 0;
    int32_t IntervalMs = 0;
    RunExtremes Extremes;
};

class RunRecord {
  public:
    // Passes kept before the record thins itself: past this, adjacent passes
    // are merged so that every kept stretch still shows its smallest and its
    // largest reading (the extremes themselves are always exact).
    static constexpr size_t PassCeiling = size_t{1} << 22; // 64 MB

    // A new run: everything of the last one is dropped. Main thread, no worker.
    void Begin(uint64_t startTick, int8_t cpuScale, int32_t intervalMs);
    // One pass, in order. Worker.
    void Append(const RecordedPass& pass);
    // The system's own figures, which only ever grow. Worker or main thread.
    void RaiseProcessorTime(uint64_t time100ns);
    void RaisePeakWorkingSet(int64_t bytes);
    void RaisePeakPrivateBytes(int64_t bytes);
    // The moment the program was found ended; the first caller counts.
    void NoteEnd(uint64_t tick);
    // The program is gone and its figures are final. Main thread, no worker.
    void Finish(uint32_t exitCode);

    RunFacts Facts() const;
    // Visits the kept passes in order as contiguous blocks,
    // visit(const RecordedPass* first, size_t count), under the lock: keep
    // the visit short and do not call back into the record.
    template <typename Visit> void ForEachBlock(Visit visit) const;
    size_t KeptPasses() const;

  private:
    // ... storage chosen by the implementation (blocks that never move, so an
    // append does not copy the run under the lock)
};
