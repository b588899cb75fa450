#include "services/launch.h"

#include <utility>

#include "services/job.h"
#include "services/launch_errors.h"

namespace {

// Under load Wine now and then fails a start with an internal error (about
// once in 3000 starts while both processors were busy) that the next attempt
// does not meet; nothing was started when it failed.
constexpr int32_t StartAttempts = 3;

} // namespace

OwnedHandle OpenForWatching(uint32_t id) {
    constexpr DWORD Limited = PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;
    for (const DWORD access : {WatchAccess, Limited | PROCESS_VM_READ, Limited}) {
        HANDLE process = OpenProcess(access, FALSE, id);
        // Less access helps only where more was denied.
        if (process || GetLastError() != ERROR_ACCESS_DENIED) return OwnedHandle(process);
    }
    return OwnedHandle();
}

StartedProcess StartProcess(StartRequest request) {
    StartedProcess started;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const bool share = request.StandardHandles != nullptr;
    if (share) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = request.StandardHandles[0];
        startup.hStdOutput = request.StandardHandles[1];
        startup.hStdError = request.StandardHandles[2];
    }
    if (request.ShowNormal) {
        startup.dwFlags |= STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
    }
    const DWORD creation = NORMAL_PRIORITY_CLASS | (request.InJob ? CREATE_SUSPENDED : 0);
    PROCESS_INFORMATION process{};
    for (int32_t attempt = 1;; ++attempt) {
        if (CreateProcessA(request.Path, request.CommandLine.data(), nullptr, nullptr,
                           share, creation, nullptr, request.Directory,
                           &startup, &process))
            break;
        started.Error = GetLastError();
        if (started.Error == ElevationRequiredError && request.Elevate) {
            request.Elevate(request, started);
            return started;
        }
        if (attempt == StartAttempts || started.Error != ERROR_INTERNAL_ERROR) return started;
    }
    started.Error = 0;
    OwnedHandle thread(process.hThread);
    started.Process.reset(process.hProcess);
    started.Id = process.dwProcessId;
    if (request.InJob) {
        started.Job.reset(MakeTreeJob(process.hProcess));
        if (started.Job.valid()) started.Notices.reset(WatchJobNotices(started.Job.get()));
        ResumeThread(thread.get());
    }
    return started;
}
