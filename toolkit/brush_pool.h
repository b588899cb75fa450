// Background brushes shared per colour value and counted by their users: one
// brush per distinct colour, made on first use, deleted when its last user
// goes. Platform-neutral: the platform's make and delete are handed in.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "services/lock.h"

class BrushPool {
  public:
    using MakeBrush = uintptr_t (*)(int32_t colour);
    using DeleteBrush = void (*)(uintptr_t brush);

    BrushPool(MakeBrush make, DeleteBrush destroy) : make(make), destroy(destroy) {}

    // The brush for colour, counted as one more user; 0 when none can be made.
    uintptr_t Acquire(int32_t colour);
    // One user of colour's brush has gone; the last one deletes it.
    void Release(int32_t colour);

    int32_t Count();
    int32_t Users();

  private:
    struct Shared {
        int32_t colour;
        uintptr_t brush;
        int32_t users;
    };
    Shared* Find(int32_t colour);
    MakeBrush make;
    DeleteBrush destroy;
    Lock lock;
    // A window has a handful of colours: a short list searched in turn.
    std::vector<Shared> brushes;
};
