// A table of records indexed by a caller-chosen number, grown in whole blocks.
// Records never move once made (a deque grown at its end keeps references),
// so a record pointer stays valid while the table grows; the lock guards the
// growth and every search of the index.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>

#include "services/lock.h"

// The room after growing from room in blocks until number fits.
inline int32_t RoomFor(int32_t number, int32_t room, int32_t block) {
    while (number >= room)
        room += block;
    return room;
}

// The smallest power of two not below wanted (the control table asks 50, gets 64).
inline int32_t PowerOfTwoAtLeast(int32_t wanted) {
    int32_t room = 1;
    while (room < wanted)
        room *= 2;
    return room;
}

template <typename Record> class NumberTable {
  public:
    NumberTable(int32_t initialRoom, int32_t block) : block(block) {
        records.resize(static_cast<size_t>(initialRoom));
    }

    // The record for number, the table grown as needed; null for a negative number.
    Record* Take(int32_t number) {
        if (number < 0) return nullptr;
        std::lock_guard<Lock> guard(lock);
        int32_t room = static_cast<int32_t>(records.size());
        if (number >= room) records.resize(static_cast<size_t>(RoomFor(number, room, block)));
        return &records[static_cast<size_t>(number)];
    }

    // The record for number if the table has room for it, else null.
    Record* Find(int32_t number) {
        if (number < 0) return nullptr;
        std::lock_guard<Lock> guard(lock);
        if (static_cast<size_t>(number) >= records.size()) return nullptr;
        return &records[static_cast<size_t>(number)];
    }

    int32_t Room() {
        std::lock_guard<Lock> guard(lock);
        return static_cast<int32_t>(records.size());
    }

    // Calls visit(number, record) for every record, in number order. The lock
    // is not held during the calls, so visit may use the table.
    template <typename Visit> void ForEach(Visit visit) {
        for (int32_t number = 0; number < Room(); ++number)
            visit(number, *Find(number));
    }

  private:
    Lock lock;
    std::deque<Record> records;
    int32_t block;
};
