#include "services/time_ledger.h"

uint64_t SettleLedger(TimeLedger& ledger, const std::vector<std::pair<uint32_t, uint64_t>>& seen) {
    std::unordered_map<uint32_t, uint64_t> live;
    live.reserve(seen.size());
    uint64_t total = 0;
    for (const auto& [id, figure] : seen) {
        live[id] = figure;
        total += figure;
    }
    for (const auto& [id, last] : ledger.Live) {
        const auto now = live.find(id);
        if (now == live.end() || now->second < last) ledger.Gone += last;
    }
    ledger.Live = std::move(live);
    return ledger.Gone + total;
}
