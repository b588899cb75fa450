// The one record of an observation: its start, every pass, its end. The
// sampling worker appends to it; every view reads from it (the values column,
// the summary tooltip, the readings log, the history graph, the console
// report). Platform-neutral; one lock guards it, held only for copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "services/lock.h"

// One pass as the record keeps it: 16 bytes.
struct RecordedPass {
    uint32_t Ms = 0;        // since the start of the run
    int32_t Load = 0;       // processor load in the run's scale
    int64_t WorkingSet = 0; // bytes; -1: not available
    bool operator==(const RecordedPass&) const = default;
};
static_assert(sizeof(RecordedPass) == 16, "a pass costs 16 bytes");

// The extremes of the passes so far; Seeded is false before the first. The
// working set's are -1 while no pass could read one. LoadAverage: the mean
// load of the passes as the pass loop hands it over, which lies between the
// two extremes (see PassLoads).
struct RunExtremes {
    bool Seeded = false;
    int32_t LoadMinimum = 0;
    int32_t LoadMaximum = 0;
    int64_t WorkingSetMinimum = 0;
    int64_t WorkingSetMaximum = 0;
    int32_t LoadAverage = 0;
    bool operator==(const RunExtremes&) const = default;
};

// What is known of a run at one moment, copied out under the lock.
struct RunFacts {
    uint64_t StartTick = 0;        // ms tick just before the launch
    uint64_t EndTick = 0;          // 0 while the program runs
    bool Finished = false;         // ExitCode and the figures are final
    uint32_t ExitCode = 0;         // valid once Finished
    uint64_t ProcessorTime = 0;    // kernel plus user, 100 ns units
    int64_t PeakWorkingSet = -1;   // bytes as the system recorded it; -1: never measured
    bool PeakWhole = false;        // the peak was read after the end, so it covers the whole
                                   // run; false: the time after the last reading is missed
    int64_t PeakPrivateBytes = -1; // commit; -1: never measured
    int64_t Passes = 0;            // every pass ever appended
    int8_t CpuScale = 0;
    int32_t IntervalMs = 0;
    RunExtremes Extremes;
};

class RunRecord {
  public:
    // ceiling: the passes kept before thinning (at least 4, rounded down to
    // a multiple of 4); blockPasses: the passes of one block.
    explicit RunRecord(size_t ceiling = PassCeiling, size_t blockPasses = BlockPasses);
    ~RunRecord();
    RunRecord(const RunRecord&) = delete;
    RunRecord& operator=(const RunRecord&) = delete;

    // Passes kept before the record thins itself: past this, adjacent passes
    // are merged so that every kept stretch still shows its smallest and its
    // largest reading (the extremes themselves are always exact).
    static constexpr size_t PassCeiling = size_t{1} << 22; // 64 MB
    static constexpr size_t BlockPasses = 4096;            // 64 KB

    // A new run: everything of the last one is dropped. Main thread, no worker.
    void Begin(uint64_t startTick, int8_t cpuScale, int32_t intervalMs);
    // One pass, in order, with the passes' mean load so far. Worker.
    void Append(const RecordedPass& pass, int32_t loadAverage = 0);
    // The system's own figures, which only ever grow. Worker or main thread.
    void RaiseProcessorTime(uint64_t time100ns);
    void RaisePeakWorkingSet(int64_t bytes);
    void RaisePeakPrivateBytes(int64_t bytes);
    // The moment the program was found ended; the first caller counts.
    void NoteEnd(uint64_t tick);
    // The program outlived a request to end: it runs on, the noted end is
    // withdrawn. Main thread, no worker.
    void ForgetEnd();
    // The program is gone and its figures are final; peakWhole: the peak
    // was read after the end. Main thread, no worker.
    void Finish(uint32_t exitCode, bool peakWhole = false);

    RunFacts Facts() const;
    // Visits the kept passes in order as contiguous blocks,
    // visit(const RecordedPass* first, size_t count), under the lock: keep
    // the visit short and do not call back into the record.
    template <typename Visit> void ForEachBlock(Visit visit) const;
    size_t KeptPasses() const;

  private:
    // Blocks are linked, never moved or grown: an append writes one pass into
    // the last block or links a fresh one, so a reader's copy never races a
    // reallocation and no append copies the run under the lock.
    struct Block {
        std::unique_ptr<RecordedPass[]> Passes;
        size_t Count = 0;
        std::unique_ptr<Block> Next;
    };
    // A chain of blocks, head first.
    struct Chain {
        std::unique_ptr<Block> Head;
        Block* Tail = nullptr;
        size_t Kept = 0;
    };

    static std::unique_ptr<RecordedPass[]> NewPasses(size_t count);
    std::unique_ptr<Block> NewBlock() const;
    static void Link(Chain& chain, std::unique_ptr<Block> block);
    // The kept passes at half their number; empty when memory was refused.
    // The appender's own: it reads the chain without the lock.
    Chain Thinned() const;
    static void Drop(Chain& chain);

    const size_t ceiling_;
    const size_t blockPasses_;
    mutable Lock lock_;
    Chain chain_;    // written by the appender; readers take the lock
    RunFacts facts_; // under the lock
};

template <typename Visit> void RunRecord::ForEachBlock(Visit visit) const {
    std::lock_guard<Lock> hold(lock_);
    for (const Block* block = chain_.Head.get(); block; block = block->Next.get())
        if (block->Count > 0)
            visit(static_cast<const RecordedPass*>(block->Passes.get()), block->Count);
}
