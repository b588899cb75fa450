#include "services/process_times.h"

#include <algorithm>
#include <charconv>

namespace {

CpuTimes Plus(CpuTimes a, CpuTimes b) {
    return {a.Kernel + b.Kernel, a.User + b.User};
}

uint64_t Number(std::string_view text) {
    uint64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

void AccumulatedTimes::Record(uint32_t part, CpuTimes times) {
    for (Part& known : live_) {
        if (known.id != part) continue;
        // A figure that went back belongs to a new part under a reused
        // identifier: the old one has ended with its last figure.
        if (times.Kernel < known.last.Kernel || times.User < known.last.User)
            ended_ = Plus(ended_, known.last);
        known.last = times;
        known.seen = true;
        return;
    }
    live_.push_back({part, times, true});
}

CpuTimes AccumulatedTimes::EndRound() {
    for (Part& part : live_) {
        if (!part.seen) ended_ = Plus(ended_, part.last);
    }
    std::erase_if(live_, [](const Part& part) { return !part.seen; });
    for (Part& part : live_)
        part.seen = false;
    return Total();
}

CpuTimes AccumulatedTimes::Total() const {
    CpuTimes total = ended_;
    for (const Part& part : live_)
        total = Plus(total, part.last);
    return total;
}

LinuxProcessStat ParseLinuxStat(std::string_view text) {
    LinuxProcessStat stat;
    // The name may hold blanks and parentheses itself: it ends at the last ')'.
    const size_t open = text.find('(');
    const size_t close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return stat;
    stat.Name = text.substr(open + 1, close - open - 1);
    // Fields after the name, counted from 3 (the state): minflt is 10,
    // majflt 12, utime 14, stime 15, starttime 22.
    std::string_view rest = text.substr(std::min(close + 2, text.size()));
    int field = 3;
    while (!rest.empty() && field <= 22) {
        const size_t end = std::min(rest.find(' '), rest.size());
        const std::string_view value = rest.substr(0, end);
        if (field == 3 && !value.empty()) stat.State = value.front();
        if (field == 10) stat.MinorFaults = Number(value);
        if (field == 12) stat.MajorFaults = Number(value);
        if (field == 14) stat.UserTicks = Number(value);
        if (field == 15) stat.SystemTicks = Number(value);
        if (field == 22) {
            stat.StartTicks = Number(value);
            stat.Valid = !value.empty();
        }
        rest.remove_prefix(std::min(end + 1, rest.size()));
        ++field;
    }
    return stat;
}

int64_t LinuxStartTicks(uint64_t created, uint64_t now, std::string_view uptimeText) {
    // "1422.71 307.68": seconds since boot with hundredths, then idle time.
    const size_t dot = uptimeText.find('.');
    if (dot == 0 || dot == std::string_view::npos || uptimeText.size() < dot + 3) return -1;
    const std::string_view seconds = uptimeText.substr(0, dot);
    const std::string_view hundredths = uptimeText.substr(dot + 1, 2);
    const auto digits = [](std::string_view text) {
        return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(seconds) || !digits(hundredths)) return -1;
    const uint64_t uptime = (Number(seconds) * 100 + Number(hundredths)) * HundredsPerLinuxTick;
    if (uptime > now || created < now - uptime) return -1;
    return static_cast<int64_t>((created - (now - uptime)) / HundredsPerLinuxTick);
}
