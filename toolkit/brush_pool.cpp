#include "toolkit/brush_pool.h"

uintptr_t BrushPool::Acquire(int32_t colour) {
    std::lock_guard<Lock> guard(lock);
    auto found = brushes.find(colour);
    if (found != brushes.end()) {
        ++found->second.users;
        return found->second.brush;
    }
    uintptr_t brush = make(colour);
    if (!brush) return 0;
    brushes[colour] = Shared{brush, 1};
    return brush;
}

void BrushPool::Release(int32_t colour) {
    uintptr_t doomed = 0;
    {
        std::lock_guard<Lock> guard(lock);
        auto found = brushes.find(colour);
        if (found == brushes.end()) return;
        if (--found->second.users > 0) return;
        doomed = found->second.brush;
        brushes.erase(found);
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
    for (const auto& entry : brushes)
        users += entry.second.users;
    return users;
}
