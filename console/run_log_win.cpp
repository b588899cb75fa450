#include "console/run_log_win.h"

#include "monitor/reading_log.h"

namespace {

// What a failed write left of a line (a full disk takes what fits) is cut
// off again, so the file always ends with a whole line.
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

// The header into a new or empty file; a line end after an unfinished line.
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

bool RunLog::Open(const Text& path) {
    file_.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_.valid()) return false;
    const Text lead = LeadOf(file_.get());
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
