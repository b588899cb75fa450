// The readings log on disk: opened at each start, one whole line written at a
// time, closed when the observation ends.
#include <windows.h>

#include "measure/log_file_win.h"
#include "monitor/monitor_win.h"
#include "measure/reading_log.h"


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
    const Text lead = LogLeadOf(file);
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
