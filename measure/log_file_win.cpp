#include "measure/log_file_win.h"

#include "measure/reading_log.h"

namespace {

// The writers of one log take turns by a lock on one byte far beyond any
// log's end, which no reader meets. Windows appends each write of an
// append-only handle whole by itself; Wine finds the end and then writes
// there, where another writer may have written in between. A file that
// takes no locks (a device) is written without turns.
bool Turn(HANDLE file, bool take) {
    OVERLAPPED turn{};
    turn.OffsetHigh = 0x40000000;
    return take ? LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn)
                : UnlockFileEx(file, 0, 1, 0, &turn);
}

bool WriteWhole(HANDLE file, std::string_view line) {
    DWORD written = 0;
    return WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
           written == line.size();
}

// What a run writes before its first line: the header into a new or empty
// file, a line end after an unfinished line, else nothing.
std::string_view LeadOf(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return {};
    if (size.QuadPart == 0) return LogHeaderLine();
    OVERLAPPED last{};
    last.Offset = static_cast<DWORD>(size.QuadPart - 1);
    last.OffsetHigh = static_cast<DWORD>((size.QuadPart - 1) >> 32);
    char lastByte = '\n';
    DWORD read = 0;
    if (!ReadFile(file, &lastByte, 1, &read, &last) || read != 1 || lastByte == '\n') return {};
    return "\r\n";
}

} // namespace

OwnedHandle OpenLog(const char* path) {
    // Others may read the file while it grows, and write it too.
    OwnedHandle file(CreateFileA(path, FILE_READ_DATA | FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    // The lead is chosen in the turn it is written in.
    if (file.valid() && !AppendWholeLine(file.get(), {}, true)) file.reset();
    return file;
}

bool AppendWholeLine(HANDLE file, std::string_view line, bool lead) {
    const bool turn = Turn(file, true);
    const bool whole = WriteWhole(file, lead ? LeadOf(file) : line);
    if (turn) Turn(file, false);
    return whole;
}

LocalTime LocalLogTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
