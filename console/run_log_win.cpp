#include "console/run_log_win.h"

#include "measure/log_file_win.h"

bool RunLog::Open(const Text& path) {
    file_.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_.valid()) return false;
    const Text lead = LogLeadOf(file_.get());
    if (lead.empty() || AppendWholeLine(file_.get(), lead)) return true;
    file_.reset();
    return false;
}

void RunLog::Write(const Text& line) {
    if (!file_.valid()) return;
    if (AppendWholeLine(file_.get(), line)) return;
    file_.reset();
    failed_ = true;
}
