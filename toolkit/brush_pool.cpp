#include "toolkit/brush_pool.h"

BrushPool::Shared* BrushPool::Find(int32_t colour) {
    for (Shared& shared : brushes)
        if (shared.colour == colour) return &shared;
    return nullptr;
}

uintptr_t BrushPool::Acquire(int32_t colour) {
    std::lock_guard<Lock> guard(lock);
    if (Shared* found = Find(colour)) {
        ++found->users;
        return found->brush;
    }
    uintptr_t brush = make(colour);
    if (!brush) return 0;
    brushes.push_back({colour, brush, 1});
    return brush;
}

void BrushPool::Release(int32_t colour) {
    uintptr_t doomed = 0;
    {
        std::lock_guard<Lock> guard(lock);
        Shared* found = Find(colour);
        if (!found || --found->users > 0) return;
        doomed = found->brush;
        *found = brushes.back();
        brushes.pop_back();
    }
    // Deleted outside the lock: the platform call needs no protection.
    destroy(doomed);
}

int32_t BrushPool::Count() {
    std::lock_guard<Lock> guard(lock);
    return static_cast<int32_t>(brushes.size());
}

int32_t BrushPool::Users() {
    std::lock_guard<Lock> guard(lock);
    int32_t users = 0;
    for (const Shared& shared : brushes)
        users += shared.users;
    return users;
}
