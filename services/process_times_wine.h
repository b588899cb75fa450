// The ways of reading another process's processor time that only Wine
// needs, as long as it answers GetProcessTimes on another process with the
// caller's own times: Linux's accounting of the process behind it, found
// once, or the process's threads, each kept open from when it is first seen.
// Behind ProcessTimes; the system's own way needs none of this.
#pragma once

#include <windows.h>

#include <vector>

#include "services/owned_handle.h"
#include "services/process_times.h"

inline uint64_t Hundreds(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool RunningUnderWine();

class WineProcessTimes {
  public:
    // process: a HANDLE with query and synchronise access; threadsOnly: not
    // Linux's figures even when the process behind is found.
    WineProcessTimes(HANDLE process, bool threadsOnly);
    bool Read(CpuTimes& times);
    // "linux" or "threads".
    const char* Source() const;

  private:
    bool ReadLinux(CpuTimes& times);
    void KeepNewThreads();
    bool ReadThreads(CpuTimes& times);

    // Lists a process's threads one by one, each call opening the next.
    using NextThreadFunction = LONG(NTAPI*)(HANDLE process, HANDLE thread, ACCESS_MASK access,
                                            ULONG attributes, ULONG flags, HANDLE* next);
    struct KeptThread {
        DWORD id;
        OwnedHandle handle;
    };

    HANDLE process_;
    OwnedHandle linuxStat_;
    AccumulatedTimes threads_;
    // The threads of the process, each kept open from when it is first
    // seen: a handle still reads a thread's times after its end, so only a
    // thread that starts and ends between two readings goes uncounted.
    std::vector<KeptThread> kept_;
    NextThreadFunction nextThread_ = nullptr;
};
