// The readings log on disk: opened at each start, one whole line written at a
// time, closed when the observation ends.
#include <windows.h>

#include "monitor/monitor_win.h"
#include "monitor/reading_log.h"

namespace {

// Appends the line whole or not at all: what a failed write left of it (a
// full disk takes what fits) is cut off again, so the file always ends with
// a whole line.
bool AppendWholeLine(HANDLE file, const Text& line) {
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END)) return false;
    DWORD written = 0;
    if (WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
        written == line.size())
        return true;
    if (SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) SetEndOfFile(file);
    return false;
}

// What a run writes before its first line: the header into a new or empty
// file, a line end after a line that an earlier fault (or another program)
// left unfinished, else nothing.
Text LeadOf(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return Text();
    if (size.QuadPart == 0) return LogHeaderLine();
    LARGE_INTEGER last{};
    last.QuadPart = -1;
    char lastByte = '\n';
    DWORD read = 0;
    if (!SetFilePointerEx(file, last, nullptr, FILE_END) ||
        !ReadFile(file, &lastByte, 1, &read, nullptr) || read != 1)
        return Text();
    return lastByte == '\n' ? Text() : Text("\r\n");
}

} // namespace

bool OpenReadingLog() {
    auto& program = Monitor.ObservedProgram;
    CloseReadingLog();
    // Whatever an earlier observation wrote stays, and a reader may look at
    // the file while it grows. Reading and writing, not appending only: the
    // last byte tells whether a line was left unfinished, and a line that
    // fails half-written is cut off again.
    HANDLE file = CreateFileA(Monitor.Options.LogFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    program.LogHandle.reset(file);
    const Text lead = LeadOf(file);
    if (!lead.empty() && !AppendWholeLine(file, lead)) {
        CloseReadingLog();
        return false;
    }
    return true;
}

void WriteReadingLog(const Text& line) {
    auto& program = Monitor.ObservedProgram;
    if (!program.LogHandle.valid()) return;
    // Each line goes to the system at once, so a Brenk that is killed loses
    // at most the pass it is in. A file that refuses a line (a full disk, a
    // vanished drive) is given up for the rest of the run rather than
    // written with holes; the main thread tells the user once.
    if (AppendWholeLine(program.LogHandle.get(), line)) return;
    CloseReadingLog();
    program.LogFailed.store(true);
}

void ReportLogFault() {
    if (Monitor.ObservedProgram.LogFailed.exchange(false)) ReportError(ErrorLogFile);
}

void CloseReadingLog() {
    auto& program = Monitor.ObservedProgram;
    program.LogHandle.reset();
}

LogTime LocalLogTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
