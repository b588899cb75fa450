#include "console/run_launch_win.h"

#include "services/job.h"

#include <utility>

namespace {

constexpr DWORD WatchAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE;

bool IsFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// An inheritable copy of a standard handle for the program; none when
// brenkrun has none.
OwnedHandle InheritableCopy(DWORD which) {
    const HANDLE own = GetStdHandle(which);
    HANDLE copy = nullptr;
    if (own && own != INVALID_HANDLE_VALUE)
        DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE,
                        DUPLICATE_SAME_ACCESS);
    return OwnedHandle(copy);
}

} // namespace

Text FindProgram(const Text& name) {
    char found[MAX_PATH * 4];
    const bool hasFolder = name.find_first_of("\\/:") != Text::npos;
    if (!hasFolder) {
        const DWORD length = SearchPathA(nullptr, name.c_str(), ".exe", sizeof found, found, nullptr);
        return length > 0 && length < sizeof found && IsFile(found) ? Text(found) : Text();
    }
    for (const char* extension : {"", ".exe"}) {
        const Text candidate = name + extension;
        const DWORD length =
            GetFullPathNameA(candidate.c_str(), sizeof found, found, nullptr);
        if (length > 0 && length < sizeof found && IsFile(found)) return found;
    }
    return Text();
}

Started StartProgram(const Text& path, const Text& commandLine, bool children) {
    Started started;
    OwnedHandle input = InheritableCopy(STD_INPUT_HANDLE);
    OwnedHandle output = InheritableCopy(STD_OUTPUT_HANDLE);
    OwnedHandle error = InheritableCopy(STD_ERROR_HANDLE);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = error.get();
    Text line = commandLine;
    PROCESS_INFORMATION process{};
    const DWORD creation = children ? CREATE_SUSPENDED : 0;
    // Under load Wine now and then fails a start with an internal error that
    // the next attempt does not meet; nothing was started when it failed.
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, TRUE, creation, nullptr,
                           nullptr, &startup, &process))
            break;
        started.Error = GetLastError();
        if (attempt == 3 || started.Error != ERROR_INTERNAL_ERROR) return started;
    }
    started.Error = 0;
    OwnedHandle thread(process.hThread);
    started.Process.reset(process.hProcess);
    if (children) {
        // Without a job the program still runs, watched alone.
        started.Job.reset(MakeTreeJob(process.hProcess));
        ResumeThread(thread.get());
    }
    return started;
}

OwnedHandle OpenWatched(uint32_t id, Text* path) {
    OwnedHandle process(OpenProcess(WatchAccess, FALSE, id));
    if (!process.valid()) return process;
    char image[MAX_PATH * 4];
    DWORD length = sizeof image;
    if (QueryFullProcessImageNameA(process.get(), 0, image, &length)) path->assign(image, length);
    return process;
}
