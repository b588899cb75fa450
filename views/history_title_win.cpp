#include "views/history_title_win.h"

#include <windows.h>

#include "measure/summary.h"

LocalTime LocalTimeOfTick(uint64_t startTick) {
    // The tick clock has no date: the start is as long before the wall
    // clock's now as it is before the tick's.
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const uint64_t since = GetTickCount64() - startTick;
    ULARGE_INTEGER at{};
    at.LowPart = now.dwLowDateTime;
    at.HighPart = now.dwHighDateTime;
    at.QuadPart -= since * HundredsPerMs;
    const FILETIME start{at.LowPart, at.HighPart};
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&start, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        return {};
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}
