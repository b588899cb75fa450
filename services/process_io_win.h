// Reading what a process or a job read and wrote, on Windows and under Wine.
#pragma once

#include <windows.h>
#include <psapi.h>

#include "services/owned_handle.h"
#include "services/process_io.h"

using MemoryInfoFunction = BOOL(WINAPI*)(HANDLE, PPROCESS_MEMORY_COUNTERS, DWORD);

// The I/O counters and page faults of one process. Wine answers the
// system's I/O counters with 0 and counts no page faults, so there they
// come from Linux's accounting of the process behind it, found at the first
// reading (which takes a look at every process).
class ProcessIo {
  public:
    // process: query access; memory: the memory query for the page faults
    // (null: none). Neither is owned. linuxPid: the Linux process behind,
    // where it is known already (ProcessTimes::LinuxPid), which spares the look.
    ProcessIo(HANDLE process, MemoryInfoFunction memory, uint32_t linuxPid = 0)
        : process_(process), memory_(memory), linuxPid_(linuxPid) {}
    IoFigures Read();

  private:
    HANDLE process_;
    MemoryInfoFunction memory_;
    uint32_t linuxPid_;
    bool looked_ = false; // for the Linux process, under Wine
    OwnedHandle linuxIo_;
    OwnedHandle linuxStat_;
};

// The I/O and page faults of every process a job has held, ended ones too;
// all -1 where the job cannot tell them (under Wine).
IoFigures ReadJobIo(HANDLE job);
