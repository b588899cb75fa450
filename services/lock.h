// A plain lock for short critical sections, usable with std::lock_guard. On
// Windows it is the system's slim lock: the standard mutex there brings a
// threads library and the standard error exceptions into brenk.exe.
#pragma once

#ifdef _WIN32

class Lock {
  public:
    Lock() = default;
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    void lock();
    void unlock();

  private:
    void* state_ = nullptr; // the system lock's one word; cleared is unlocked
};

#else

#include <mutex>

using Lock = std::mutex;

#endif
