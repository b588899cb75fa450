#include "measure/run_record.h"

#include <new>
#include <utility>

namespace {

// Thinning merges this many kept passes into two.
constexpr size_t MergedPasses = 4;

} // namespace

RunRecord::RunRecord(size_t ceiling, size_t blockPasses)
    : ceiling_(ceiling < MergedPasses ? MergedPasses : ceiling - ceiling % MergedPasses),
      blockPasses_(blockPasses < 1 ? 1 : blockPasses) {}

RunRecord::~RunRecord() {
    Drop(chain_);
}

void RunRecord::Begin(uint64_t startTick, int8_t cpuScale, int32_t intervalMs) {
    Chain old;
    {
        std::lock_guard<Lock> hold(lock_);
        old = std::move(chain_);
        chain_ = Chain{};
        facts_ = RunFacts{};
        facts_.StartTick = startTick;
        facts_.CpuScale = cpuScale;
        facts_.IntervalMs = intervalMs;
    }
    Drop(old);
}

void RunRecord::Append(const RecordedPass& pass, int32_t loadAverage) {
    // Only the appender changes the chain, so it reads it here without the
    // lock; the thinned copy and a fresh block are made before taking it.
    Chain thinned;
    if (chain_.Kept >= ceiling_) thinned = Thinned();
    const Chain& target = thinned.Head ? thinned : chain_;
    std::unique_ptr<Block> fresh;
    if (!target.Tail || target.Tail->Count == blockPasses_) fresh = NewBlock();
    Chain old;
    {
        std::lock_guard<Lock> hold(lock_);
        if (thinned.Head) {
            old = std::move(chain_);
            chain_ = std::move(thinned);
        }
        if (fresh) Link(chain_, std::move(fresh));
        // Out of memory or thinning refused: the pass is not kept, but it
        // still counts and still moves the extremes.
        const bool room =
            chain_.Kept < ceiling_ && chain_.Tail && chain_.Tail->Count < blockPasses_;
        if (room) {
            chain_.Tail->Passes[chain_.Tail->Count++] = pass;
            ++chain_.Kept;
        }
        ++facts_.Passes;
        RunExtremes& extremes = facts_.Extremes;
        if (!extremes.Seeded) {
            extremes = {true, pass.Load, pass.Load, pass.WorkingSet, pass.WorkingSet, 0};
        } else {
            if (pass.Load < extremes.LoadMinimum) extremes.LoadMinimum = pass.Load;
            if (pass.Load > extremes.LoadMaximum) extremes.LoadMaximum = pass.Load;
            // A working set not available is no smallest one.
            if (pass.WorkingSet >= 0 && (pass.WorkingSet < extremes.WorkingSetMinimum ||
                                         extremes.WorkingSetMinimum < 0))
                extremes.WorkingSetMinimum = pass.WorkingSet;
            if (pass.WorkingSet > extremes.WorkingSetMaximum)
                extremes.WorkingSetMaximum = pass.WorkingSet;
        }
        extremes.LoadAverage = loadAverage;
    }
    Drop(old);
}

void RunRecord::RaiseProcessorTime(uint64_t time100ns) {
    std::lock_guard<Lock> hold(lock_);
    if (time100ns > facts_.ProcessorTime) facts_.ProcessorTime = time100ns;
}

void RunRecord::RaisePeakWorkingSet(int64_t bytes) {
    std::lock_guard<Lock> hold(lock_);
    if (bytes > facts_.PeakWorkingSet) facts_.PeakWorkingSet = bytes;
}

void RunRecord::RaisePeakPrivateBytes(int64_t bytes) {
    std::lock_guard<Lock> hold(lock_);
    if (bytes > facts_.PeakPrivateBytes) facts_.PeakPrivateBytes = bytes;
}

void RunRecord::NoteEnd(uint64_t tick) {
    std::lock_guard<Lock> hold(lock_);
    if (facts_.EndTick == 0) facts_.EndTick = tick;
}

void RunRecord::ForgetEnd() {
    std::lock_guard<Lock> hold(lock_);
    facts_.EndTick = 0;
}

void RunRecord::Finish(uint32_t exitCode, bool peakWhole) {
    std::lock_guard<Lock> hold(lock_);
    facts_.ExitCode = exitCode;
    facts_.PeakWhole = peakWhole;
    facts_.Finished = true;
}

RunFacts RunRecord::Facts() const {
    std::lock_guard<Lock> hold(lock_);
    return facts_;
}

size_t RunRecord::KeptPasses() const {
    std::lock_guard<Lock> hold(lock_);
    return chain_.Kept;
}

std::unique_ptr<RecordedPass[]> RunRecord::NewPasses(size_t count) {
    // Built without exceptions for Windows: a refused allocation is null.
    return std::unique_ptr<RecordedPass[]>(new (std::nothrow) RecordedPass[count]);
}

std::unique_ptr<RunRecord::Block> RunRecord::NewBlock() const {
    std::unique_ptr<Block> block(new (std::nothrow) Block);
    if (!block) return nullptr;
    block->Passes = NewPasses(blockPasses_);
    if (!block->Passes) return nullptr;
    return block;
}

void RunRecord::Link(Chain& chain, std::unique_ptr<Block> block) {
    Block* linked = block.get();
    if (chain.Tail)
        chain.Tail->Next = std::move(block);
    else
        chain.Head = std::move(block);
    chain.Tail = linked;
}

RunRecord::Chain RunRecord::Thinned() const {
    Chain thinned;
    bool refused = false;
    const auto keep = [&](const RecordedPass& pass) {
        if (!thinned.Tail || thinned.Tail->Count == blockPasses_) {
            std::unique_ptr<Block> block = NewBlock();
            if (!block) {
                refused = true;
                return;
            }
            Link(thinned, std::move(block));
        }
        thinned.Tail->Passes[thinned.Tail->Count++] = pass;
        ++thinned.Kept;
    };
    // Every stretch of four becomes two: one with the stretch's smallest
    // load and working set, one with its largest, each at the time of the
    // pass that held its load (or, with a flat load, its working set), in
    // the order they were read. Repeated, every kept stretch still shows
    // its true extremes.
    RecordedPass stretch[MergedPasses];
    size_t filled = 0;
    for (const Block* block = chain_.Head.get(); block; block = block->Next.get()) {
        for (size_t i = 0; i < block->Count; ++i) {
            stretch[filled++] = block->Passes[i];
            if (filled < MergedPasses) continue;
            filled = 0;
            size_t low = 0;
            size_t high = 0;
            size_t lowSet = 0;
            size_t highSet = 0;
            for (size_t j = 1; j < MergedPasses; ++j) {
                if (stretch[j].Load < stretch[low].Load) low = j;
                if (stretch[j].Load > stretch[high].Load) high = j;
                if (stretch[j].WorkingSet < stretch[lowSet].WorkingSet) lowSet = j;
                if (stretch[j].WorkingSet > stretch[highSet].WorkingSet) highSet = j;
            }
            const RecordedPass minima{0, stretch[low].Load, stretch[lowSet].WorkingSet};
            const RecordedPass maxima{0, stretch[high].Load, stretch[highSet].WorkingSet};
            if (low == high) {
                low = lowSet;
                high = highSet;
            }
            if (low == high) {
                low = 0;
                high = MergedPasses - 1;
            }
            RecordedPass first = low < high ? minima : maxima;
            RecordedPass second = low < high ? maxima : minima;
            first.Ms = stretch[low < high ? low : high].Ms;
            second.Ms = stretch[low < high ? high : low].Ms;
            keep(first);
            keep(second);
        }
    }
    for (size_t i = 0; i < filled; ++i)
        keep(stretch[i]);
    if (refused) Drop(thinned);
    return thinned;
}

void RunRecord::Drop(Chain& chain) {
    // Block by block: a long chain freed by recursion could exhaust the stack.
    std::unique_ptr<Block> block = std::move(chain.Head);
    while (block)
        block = std::move(block->Next);
    chain.Tail = nullptr;
    chain.Kept = 0;
}
