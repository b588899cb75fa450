// The readings log on disk: opened at each start, one whole line written at a
// time, closed when the observation ends.
#include <windows.h>

#include "measure/log_file_win.h"
#include "monitor/monitor_win.h"
#include "measure/reading_log.h"


bool OpenReadingLog() {
    auto& program = Monitor.ObservedProgram;
    CloseReadingLog();
    // Whatever an earlier observation, or another writer, wrote stays.
    program.LogHandle = OpenLog(Monitor.Options.LogFile.c_str());
    return program.LogHandle.valid();
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
