// Starting a program and opening a process to watch, for both programs: one
// start sequence (tried again on Wine's passing internal error, suspended
// until it is in its job, then resumed) and one access policy.
#pragma once

#include <windows.h>

#include <cstdint>

#include "services/owned_handle.h"
#include "services/text.h"

// What watching a process takes: its times and memory, and its end.
constexpr DWORD WatchAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE;

// A process opened with WatchAccess; invalid when it cannot be.
OwnedHandle OpenForWatching(uint32_t id);

// The program's full path as the system finds it: a name with a folder
// from the current directory, a bare name along the search path, ".exe"
// added when it has no extension of its own. Empty when there is none.
Text FindProgram(const Text& name);

struct StartRequest {
    const char* Path = nullptr;   // the program; null: the command line's first word
    Text CommandLine;
    const char* Directory = nullptr; // null: the caller's own
    bool InJob = false;              // a job of its own, entered before the first instruction
    // Inheritable standard handles for the program (InheritStandardHandles);
    // none: it opens its own.
    const HANDLE* StandardHandles = nullptr;
    bool ShowNormal = false;
};

struct StartedProcess {
    OwnedHandle Process;
    OwnedHandle Job;    // with InJob, when one could be made
    uint32_t Id = 0;
    uint32_t Error = 0; // the system's error when nothing was started
};

// Inheritable copies of the caller's standard input, output and error, for
// a program that shares them.
struct StandardHandles {
    OwnedHandle Copies[3];
    HANDLE Handles[3] = {};
};
void InheritStandardHandles(StandardHandles& handles);

// Without a job the program still runs, watched alone: better watched alone
// than not started. The job's handle is its only one, so the tree ends when
// the handle closes.
StartedProcess StartProcess(StartRequest request);
