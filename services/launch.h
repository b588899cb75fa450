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

// A process opened with the most of WatchAccess the system grants: failing
// that, the limited query with memory reading, then the limited query alone
// (a program that runs elevated, or as another user), which still gives the
// times and the end; what it does not give reads as not available. Invalid
// when none is granted; GetLastError then tells why (RefusedAccess).
OwnedHandle OpenForWatching(uint32_t id);

// The program's full path as the console finds it: a name with a folder
// from the current directory, a bare name along the search path; a name
// without an extension of its own is tried with each of PATHEXT's (.COM,
// .EXE, .BAT, .CMD when it is not set), and with ".exe" in a folder given.
// Empty when there is none.
Text FindProgram(const Text& name);

// The system's text for error, in the system's language, without the line
// break and full stop it ends in, insert in place of its "%1"; empty when
// the system has none.
Text SystemErrorText(uint32_t error, std::string_view insert);

// 32 or 64 for a Windows program, read from its file's header; 0 for
// anything else and for a file that cannot be read.
int32_t ProgramBitsOf(const Text& path);

// The command processor that runs batch files: %ComSpec%, else cmd.exe in
// the system folder.
Text CommandProcessorPath();

struct StartRequest {
    const char* Path = nullptr;   // the program; null: the command line's first word
    Text CommandLine;
    const char* Directory = nullptr; // null: the caller's own
    bool InJob = false;              // a job of its own, entered before the first instruction
    // Inheritable standard handles for the program (InheritStandardHandles);
    // none: it opens its own.
    const HANDLE* StandardHandles = nullptr;
    bool ShowNormal = false;
    // What starts a program that needs elevation (StartElevated), which the
    // start refuses with ElevationRequiredError; null: it stays refused.
    void (*Elevate)(const StartRequest& request, struct StartedProcess& started) = nullptr;
};

struct StartedProcess {
    OwnedHandle Process;
    OwnedHandle Job; // with InJob, when one could be made
    // The completion port the job's notices come to, attached before the
    // program's first instruction, so that not even a process that lives
    // only in its first milliseconds goes by unnoticed; null when the job
    // sends none. A job has one port: whoever follows the job uses this one.
    OwnedHandle Notices;
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

// A program whose manifest asks for administrator rights, which the start
// refuses (ElevationRequiredError), started through the shell, which asks
// the user for them: in a console of its own, without the standard handles
// and never in a job. Its process is the handle the shell hands back, with
// the access that gives (the times and the end); Id stays 0. Error: the
// shell's, when it started nothing (1223: the user declined).
void StartElevated(const StartRequest& request, StartedProcess& started);

