#include "services/launcher.h"

#include <windows.h>
#include <shellapi.h>

#include <mutex>
#include <new>
#include <utility>

#include "services/files.h"
#include "services/job.h"
#include "services/launch.h"
#include "services/launch_errors.h"
#include "services/libraries.h"
#include "services/lock.h"
#include "services/owned_handle.h"
#include "services/shell_objects.h"

struct LaunchRecord {
    OwnedHandle process;
    OwnedHandle job;     // with LaunchInJob
    OwnedHandle notices; // the port of the job's notices
    int32_t processId = 0;
    LaunchRecord* previous = nullptr;
    LaunchRecord* next = nullptr;
};

namespace {

// LaunchList: every record not yet released. The lock is held only while a
// record is linked, unlinked or counted.
Lock launchLock;
LaunchRecord* launchList = nullptr;
int32_t liveRecords = 0;

LaunchRecord* LinkRecord(HANDLE process, int32_t processId, OwnedHandle job = OwnedHandle(),
                         OwnedHandle notices = OwnedHandle()) {
    auto* record = new (std::nothrow) LaunchRecord;
    if (!record) {
        // Without a record nobody could end or release the program: end it
        // now rather than leave it running unseen.
        if (job.valid()) TerminateJobObject(job.get(), 0xFFFFFFFF);
        if (process) {
            TerminateProcess(process, 0xFFFFFFFF);
            CloseHandle(process);
        }
        return nullptr;
    }
    record->process.reset(process);
    record->job = std::move(job);
    record->notices = std::move(notices);
    record->processId = processId;
    std::lock_guard hold(launchLock);
    record->next = launchList;
    if (launchList) launchList->previous = record;
    launchList = record;
    ++liveRecords;
    return record;
}

void UnlinkRecord(LaunchRecord* record) {
    std::lock_guard hold(launchLock);
    if (record->previous)
        record->previous->next = record->next;
    else
        launchList = record->next;
    if (record->next) record->next->previous = record->previous;
    --liveRecords;
}

// The shell's library is loaded only when a file is opened through it, which
// few starts need.
using ShellExecuteFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);

} // namespace

LaunchRecord* LaunchThroughShell(const char* path, const char* parameters, const char* directory,
                                 uint32_t startError) {
    static const auto shellExecute = reinterpret_cast<ShellExecuteFunction>(
        SystemLibraryFunction("shell32.dll", "ShellExecuteExA"));
    if (!shellExecute || !PrepareShellObjects()) return nullptr;
    // Without a directory of its own the document opens in its own folder.
    const Text derived = directory ? Text() : ShellDirectoryOf(path);
    if (!derived.empty()) directory = derived.c_str();
    SHELLEXECUTEINFOA shell = ShellRequestFor(path, parameters, directory);
    if (!shellExecute(&shell)) return nullptr;
    // A program that asked for elevation is the one started: it is watched
    // through the shell's handle (its number, 0, is not asked for). What
    // else the shell opened may be a program that was running already;
    // callers test for -1.
    return LinkRecord(shell.hProcess,
                      startError == ElevationRequiredError && shell.hProcess ? 0 : -1);
}

SHELLEXECUTEINFOA ShellRequestFor(const char* path, const char* parameters, const char* directory) {
    SHELLEXECUTEINFOA shell{};
    shell.cbSize = sizeof shell;
    // No message from the shell when it cannot open the file either: the
    // caller reports the failure, and a modal box would hold its thread.
    shell.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    shell.lpVerb = ""; // the file's default verb
    shell.lpFile = path;
    shell.lpParameters = parameters ? parameters : "";
    shell.lpDirectory = directory;
    shell.nShow = SW_SHOWNORMAL;
    return shell;
}

LaunchRecord* LaunchProgram(const char* path, const char* parameters, const char* directory,
                            uint32_t flags, uint32_t* startError) {
    uint32_t unused = 0;
    uint32_t& error = startError ? *startError : unused;
    error = 0;
    if (flags != LaunchOpen && flags != (LaunchOpen | LaunchInJob)) return nullptr;
    const bool inJob = (flags & LaunchInJob) != 0;
    const std::string_view pathText = TextView(path);
    const std::string_view parameterText = TextView(parameters);
    // An empty path names nothing to start; handed to the shell it would open
    // the directory (or the current one) in a file browser instead.
    if (pathText.empty()) return nullptr;
    const char* startDirectory = TextView(directory).empty() ? nullptr : directory;

    StartRequest request;
    request.CommandLine = ComposeCommandLine(pathText, parameterText);
    request.Directory = startDirectory;
    request.InJob = inJob;
    request.ShowNormal = true;
    // In the job before its first instruction runs; the record's handle is
    // the job's only one, so the tree ends with the record after the program
    // was ended, or with Brenk itself.
    StartedProcess started = StartProcess(std::move(request));
    if (started.Process.valid())
        return LinkRecord(started.Process.release(), static_cast<int32_t>(started.Id),
                          std::move(started.Job), std::move(started.Notices));
    error = started.Error;
    // The shell would start a shortcut's target, but as a program nobody
    // watches; its callers read shortcuts themselves and start the target.
    if (IsShortcutName(pathText)) return nullptr;
    return LaunchThroughShell(path, parameters, startDirectory, started.Error);
}

int32_t IsProgramAlive(LaunchRecord* record) {
    if (!record) return 0;
    if (record->job.valid()) {
        // A failed query counts as running, as a failed wait does below.
        const int32_t live = JobLiveProcesses(record->job.get());
        return live == 0 ? 0 : 1;
    }
    // A start through the shell may name no process (the file went to a
    // program already running): there is nothing to wait for.
    if (!record->process.valid()) return 0;
    // Only a signalled handle proves the end; a failed wait must not make the
    // caller give up a program that may still be running.
    return WaitForSingleObject(record->process.get(), 0) == WAIT_OBJECT_0 ? 0 : 1;
}

int32_t ProcessIdOf(LaunchRecord* record) {
    return record ? record->processId : 0;
}

void* DuplicateLaunchedProcess(LaunchRecord* record, uint32_t access) {
    if (!record || record->processId == -1 || !record->process.valid()) return nullptr;
    HANDLE copy = nullptr;
    const HANDLE self = GetCurrentProcess();
    if (!DuplicateHandle(self, record->process.get(), self, &copy, access, FALSE,
                         access ? 0 : DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

int32_t KillLaunched(LaunchRecord* record) {
    if (!record || !record->process.valid()) return 0;
    if (record->job.valid()) return TerminateJobObject(record->job.get(), 0xFFFFFFFF) ? 1 : 0;
    return TerminateProcess(record->process.get(), 0xFFFFFFFF) ? 1 : 0;
}

void* JobOfLaunched(LaunchRecord* record) {
    return record ? record->job.get() : nullptr;
}

void* JobNoticesOfLaunched(LaunchRecord* record) {
    return record ? record->notices.get() : nullptr;
}

void ReleaseLaunched(LaunchRecord* record) {
    if (!record) return;
    record->process.reset();
    record->job.reset();
    record->notices.reset();
    UnlinkRecord(record);
    delete record;
}

int32_t LiveLaunchRecords() {
    std::lock_guard hold(launchLock);
    return liveRecords;
}
