// The ways of reading another process's processor time that only Wine
// needs, as long as it answers GetProcessTimes on another process with the
// caller's own times: Linux's accounting of the process behind it, found
// once, or the process's threads, each kept open from when it is first seen.
// Behind ProcessTimes; the system's own way needs none of this.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "services/owned_handle.h"
#include "services/process_times.h"

inline uint64_t Hundreds(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool RunningUnderWine();

// The number of the Linux process behind a Wine process, found by its name
// and start among all of Linux's processes; 0 when none clearly is it.
uint32_t FindLinuxProcess(HANDLE process);
// A file of that Linux process's /proc folder ("stat", "io"), open to read.
OwnedHandle OpenLinuxProcessFile(uint32_t pid, std::string_view file);
// The text of such a file as of now (a file of /proc is made afresh at each
// read from its start); empty when it cannot be read.
std::string_view ReadLinuxText(HANDLE file, char (&buffer)[1024]);

// A handle kept open with the number of what it names (a thread of a
// process, a process of a job): while it is open, the number stays with it.
// Aside: kept, but not counted (the watch's console hosts). One type for
// every such list, so that a program holds the code of one.
struct NumberedHandle {
    uint32_t id;
    OwnedHandle handle;
    bool aside = false;
};

// The times of every thread of the processes not set aside, recorded into
// threads by thread identifier: the total keeps the threads, and so the
// processes, that have ended. For a job under Wine, whose job accounting
// reads 0. False when the threads cannot be listed.
bool ReadThreadTimes(const std::vector<NumberedHandle>& processes, AccumulatedTimes& threads,
                     CpuTimes* total);

// Lists a process's threads one by one, each call opening the next.
using NextThreadFunction = LONG(NTAPI*)(HANDLE process, HANDLE thread, ACCESS_MASK access,
                                        ULONG attributes, ULONG flags, HANDLE* next);

class WineProcessTimes {
  public:
    // process: a HANDLE with query and synchronise access; threadsOnly: not
    // Linux's figures even when the process behind is found.
    WineProcessTimes(HANDLE process, bool threadsOnly);
    bool Read(CpuTimes& times);
    // "linux" or "threads".
    const char* Source() const;
    uint32_t LinuxPid() const { return linuxPid_; }

  private:
    bool ReadLinux(CpuTimes& times);
    void KeepNewThreads();
    bool ReadThreads(CpuTimes& times);

    HANDLE process_;
    // Listing a process's threads takes more than the least access a watch
    // may hold (a program started elevated): Wine grants it by the id.
    OwnedHandle listing_;
    uint32_t linuxPid_ = 0;
    OwnedHandle linuxStat_;
    AccumulatedTimes threads_;
    // The threads of the process, each kept open from when it is first
    // seen: a handle still reads a thread's times after its end, so only a
    // thread that starts and ends between two readings goes uncounted.
    std::vector<NumberedHandle> kept_;
    NextThreadFunction nextThread_ = nullptr;
};
