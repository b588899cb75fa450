#include "console/run_log_win.h"

#include "measure/log_file_win.h"

bool RunLog::Open(const Text& path) {
    file_ = OpenLog(path.c_str());
    return file_.valid();
}

void RunLog::Write(const Text& line) {
    if (!file_.valid()) return;
    if (AppendWholeLine(file_.get(), line)) return;
    file_.reset();
    failed_ = true;
}
