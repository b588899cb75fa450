// Sums of figures that must keep counting after their owner has gone: the
// processor time of a thread or process that ended, a process's peak memory.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

// The last figure seen of every owner still alive, and the total of those
// that are gone.
struct TimeLedger {
    std::unordered_map<uint32_t, uint64_t> Live;
    uint64_t Gone = 0;
};

// Takes the figures seen now, one per live owner (identifier, figure), and
// returns the total of all owners, gone ones included. An owner missing now
// has gone: its last figure moves to Gone. A figure below the last one of the
// same identifier means the identifier was reused by a new owner: the old
// owner's figure moves to Gone as well.
uint64_t SettleLedger(TimeLedger& ledger, const std::vector<std::pair<uint32_t, uint64_t>>& seen);
