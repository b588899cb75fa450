// The readings log on disk: opened for appending at each start, one line
// written at a time, closed when the observation ends.
#include <windows.h>

#include "monitor/monitor_win.h"
#include "monitor/reading_log.h"

namespace {

bool WriteAll(HANDLE file, const Text& line) {
    DWORD written = 0;
    return WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
           written == line.size();
}

} // namespace

bool OpenReadingLog() {
    auto& program = Monitor.ObservedProgram;
    CloseReadingLog();
    // Appending only: whatever an earlier observation wrote stays, and a
    // reader may look at the file while it grows.
    HANDLE file = CreateFileA(Monitor.Options.LogFile.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    program.LogHandle = file;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart == 0 && !WriteAll(file, LogHeaderLine())) {
        CloseReadingLog();
        return false;
    }
    return true;
}

void WriteReadingLog(const Text& line) {
    HANDLE file = Monitor.ObservedProgram.LogHandle;
    if (!file) return;
    // Each line goes to the system at once, so a Brenk that is killed loses
    // at most the pass it is in. A file that refuses a line (a full disk, a
    // vanished drive) is given up rather than written with holes.
    if (!WriteAll(file, line)) CloseReadingLog();
}

void CloseReadingLog() {
    auto& program = Monitor.ObservedProgram;
    if (program.LogHandle) CloseHandle(program.LogHandle);
    program.LogHandle = nullptr;
}

LogTime LocalLogTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
