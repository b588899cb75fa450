#include "measure/log_file_win.h"

#include "measure/reading_log.h"

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

Text LogLeadOf(HANDLE file) {
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

LogTime LocalLogTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}
