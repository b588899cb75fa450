// A watched program on a script, for the pass loop: the clock moves only in
// its pauses and reads, the program ends or is stopped at a set time, and
// its figures are a function of the clock.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>

#include "measure/pass_loop.h"

struct FakeWatch {
    uint64_t now = 1000;
    uint64_t endsAt = UINT64_MAX;
    uint64_t stopAt = UINT64_MAX;
    uint64_t readTakesMs = 0;
    int reads = 0;
    // By default a program that uses 10 % of one processor since 1000 and
    // holds 8 MB.
    std::function<WatchReading(uint64_t)> figures = [](uint64_t at) {
        WatchReading reading;
        reading.Times.User = (at - 1000) * 1000;
        reading.WorkingSet = 8'000'000;
        reading.PeakWorkingSet = 8'000'000;
        reading.PeakPrivate = 6'000'000;
        return reading;
    };

    WatchReading Read() {
        ++reads;
        WatchReading reading = figures(now);
        if (reading.Clock == 0) reading.Clock = now * 10'000; // a fine clock, exact
        now += readTakesMs;
        return reading;
    }
    bool Ended() const { return now >= endsAt; }
    uint64_t Now() const { return now; }
    WatchWait Pause(uint64_t deadline) {
        if (stopAt <= deadline && stopAt < endsAt) {
            now = std::max(now, stopAt);
            return WatchWait::Stop;
        }
        if (endsAt <= deadline) {
            now = std::max(now, endsAt);
            return WatchWait::Ended;
        }
        now = std::max(now, deadline);
        return WatchWait::Interval;
    }
};
