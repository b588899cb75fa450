// Starts another program and answers questions about it. A started program is
// named by an opaque LaunchRecord; 0 stands for no program. The record owns the
// program's process handle until ReleaseLaunched.
#pragma once

#include <cstdint>
#include <string_view>

#include "services/command_line.h"
#include "services/text.h"

// The one launch flag word in use: keep the started program's process handle
// in a record and return it; no redirection, no wait, shown normally, and the
// shell may open the file when it cannot be started as a program.
constexpr uint32_t LaunchOpen = 4;
// With LaunchOpen: the program starts suspended, is put into a job object of
// its own and only then resumes, so that every process it starts, directly or
// not, belongs to the job. The record then answers for the whole job.
constexpr uint32_t LaunchInJob = 8;

struct LaunchRecord;

// The working directory the shell start uses when none was given: the path up
// to and including its last backslash, if that backslash is not the first
// character; else the empty text (no directory).
Text ShellDirectoryOf(std::string_view path);

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

// The shell's request to open path with parameters in directory (null: none)
// with the file's default verb, keeping the process handle and showing no
// message. It points into the texts given.
SHELLEXECUTEINFOA ShellRequestFor(const char* path, const char* parameters, const char* directory);
#endif

// Starts path with parameters in directory (null or empty: the caller's own).
// Null texts count as empty. Any flag word other than LaunchOpen, alone or
// with LaunchInJob, gives 0, as does a start that neither the program start
// nor the shell manage. A program the shell starts is never in a job; one
// whose job cannot be made runs on alone, without one. A shortcut (.lnk) is
// never handed to the shell: its target would run unwatched. When it gives
// 0 and startError is not null, *startError holds why the program start
// failed (the system's error; 0 when nothing was tried).
LaunchRecord* LaunchProgram(const char* path, const char* parameters, const char* directory,
                            uint32_t flags, uint32_t* startError = nullptr);

// What LaunchProgram does when the program start failed with startError:
// path opened through the shell (in directory; null: the file's own folder).
// A program that needs elevation (ElevationRequiredError), which the shell
// asks the user for, is watched through the shell's handle (process
// identifier 0: not known); whatever else the shell opens (a document,
// perhaps with a program that already runs) gives process identifier -1.
LaunchRecord* LaunchThroughShell(const char* path, const char* parameters, const char* directory,
                                 uint32_t startError);

// 1 while the program runs (a failed wait counts as running), 0 once it has
// ended, for record 0 and for a shell start that named no process. With a
// job: 1 while any process of the job lives.
int32_t IsProgramAlive(LaunchRecord* record);

// The process identifier; -1 for a file the shell opened, 0 for record 0
// and for a program started elevated.
int32_t ProcessIdOf(LaunchRecord* record);

// A handle of the caller's own to the started process with the given access
// (0: the access of the record's handle, for a program started elevated
// the most the shell's handle gives), copied from the record's, which needs
// no lookup by number; null for record 0, for a file the shell opened, and
// when the copy fails.
void* DuplicateLaunchedProcess(LaunchRecord* record, uint32_t access);

// Ends the program, or every process of its job, with exit code 0xFFFFFFFF;
// non-zero on success. The record stays until ReleaseLaunched.
int32_t KillLaunched(LaunchRecord* record);

// The job object of a program started with LaunchInJob, owned by the record
// (valid until ReleaseLaunched); null for any other.
void* JobOfLaunched(LaunchRecord* record);

// The completion port of that job's notices, attached before the program
// ran its first instruction and owned by the record (valid until
// ReleaseLaunched); null when there is no job or it sends no notices. The
// job has no other: every watch that follows the job's processes takes its
// notices from this port.
void* JobNoticesOfLaunched(LaunchRecord* record);

// Closes the record's handles and destroys the record. Record 0 is ignored.
void ReleaseLaunched(LaunchRecord* record);

// Number of records not yet released (for leak checks in tests).
int32_t LiveLaunchRecords();
