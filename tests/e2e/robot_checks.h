// Checks as the robots print them, and what they read: texts of windows
// and files, the Linux figures of a process and the readings column.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/window_robot.h"

enum Row : int { CpuMinimum, CpuMaximum, RamMinimum, RamMaximum, CpuCurrent, RamCurrent };

constexpr UINT AnswerTimeoutMs = 5000;
constexpr DWORD StepLimitMs = 15000;
constexpr DWORD PollStepMs = 20;
constexpr DWORD KilledExitCode = 0xFFFFFFFF;
constexpr int64_t Megabyte = 1 << 20;

inline int failures = 0;

inline bool Check(bool ok, const std::string& what, const std::string& detail = "") {
    std::printf("%s: %s%s%s\n", ok ? "ok" : "FAILED", what.c_str(), detail.empty() ? "" : " -- ",
                detail.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
    return ok;
}

inline void Note(const std::string& text) {
    std::printf("note: %s\n", text.c_str());
    std::fflush(stdout);
}

inline std::string Quoted(const std::string& text) {
    std::string shown = "\"";
    for (unsigned char c : text) {
        if (c == '\n')
            shown += "\\n";
        else if (c < 32 || c >= 127) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        } else
            shown += static_cast<char>(c);
    }
    return shown + "\"";
}

inline bool CheckText(const std::string& what, const std::string& seen, const std::string& wanted) {
    return Check(seen == wanted, what, "saw " + Quoted(seen) + ", wanted " + Quoted(wanted));
}

inline std::string WindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

inline std::string WindowText(HWND window) {
    if (!window) return "<no window>";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, AnswerTimeoutMs,
                             &length))
        return "<no answer>";
    // The text may grow between the two questions: leave room to spare and
    // keep what was copied.
    std::string text(length + 1024, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, AnswerTimeoutMs, &copied))
        return "<no answer>";
    text.resize(std::strlen(text.c_str()));
    return text;
}

// The first descendant of parent with the class.
inline HWND FindChild(HWND parent, const char* className) {
    struct Search {
        const char* className;
        HWND found;
    } search{className, nullptr};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (ClassOf(window) != s->className) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The texts of all static children of a message box (its icon has none).
inline std::string MessageBoxText(HWND box) {
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == "Static") {
            const std::string part = WindowText(child);
            if (!part.empty()) text += part;
        }
    }
    return text;
}

inline std::string ReadWholeFile(const std::string& path) {
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr));
    std::string content;
    if (!file.valid()) return content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.value, buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    return content;
}

inline bool WriteWholeFile(const std::string& path, const std::string& content) {
    Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file.valid() &&
           WriteFile(file.value, content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) &&
           written == content.size();
}

// ---- The Linux side of a Windows process, found by a token in its command line.

struct LinuxFigures {
    bool found = false;
    int64_t cpuTicks = 0; // utime + stime, in clock ticks of 10 ms
    int64_t rssBytes = 0;
    ULONGLONG at = 0; // GetTickCount64 when read
};

// Every Linux process whose command line holds the token.
inline std::vector<std::string> LinuxProcessesWithToken(const std::string& token) {
    std::vector<std::string> found;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        const std::string name = entry.cFileName;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string line = ReadWholeFile("Z:\\proc\\" + name + "\\cmdline");
        for (char& c : line)
            if (c == '\0') c = ' ';
        if (line.find(token) != std::string::npos) found.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

inline std::string LinuxProcessWithToken(const std::string& token) {
    const std::vector<std::string> found = LinuxProcessesWithToken(token);
    return found.empty() ? "" : found.front();
}

inline LinuxFigures ReadLinuxFigures(const std::string& linuxPid) {
    LinuxFigures figures;
    figures.at = GetTickCount64();
    const std::string stat = ReadWholeFile("Z:\\proc\\" + linuxPid + "\\stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return figures;
    // Fields after the name start with field 3 (state); utime is 14, stime 15.
    std::vector<std::string> fields;
    size_t at = close + 2;
    while (at < stat.size()) {
        const size_t end = stat.find(' ', at);
        fields.push_back(stat.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    if (fields.size() < 13) return figures;
    figures.cpuTicks = std::atoll(fields[11].c_str()) + std::atoll(fields[12].c_str());
    const std::string status = ReadWholeFile("Z:\\proc\\" + linuxPid + "\\status");
    const size_t rss = status.find("VmRSS:");
    if (rss == std::string::npos) return figures;
    figures.rssBytes = std::atoll(status.c_str() + rss + 6) * 1024;
    figures.found = true;
    return figures;
}

// ---- The readings column.

struct Readings {
    bool valid = false;
    bool changed = false; // differs from the text seen before
    int64_t row[6] = {};
    std::string text;
};

// Digits in groups of three separated by dots, no leading dot or zero.
inline bool GroupedWithDots(const std::string& value) {
    if (value.empty() || value.size() % 4 == 0) return false;
    for (size_t i = 0; i < value.size(); ++i) {
        const bool dotPlace = (value.size() - i) % 4 == 0;
        if (dotPlace ? value[i] != '.' : (value[i] < '0' || value[i] > '9')) return false;
    }
    return value.size() == 1 || value[0] != '0';
}

inline Readings ParseReadings(const std::string& text) {
    Readings readings;
    readings.text = text;
    // Three pairs of rows, an empty line between the pairs, no trailing break.
    std::vector<std::string> lines;
    size_t at = 0;
    for (;;) {
        const size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    if (lines.size() != 8 || !lines[2].empty() || !lines[5].empty()) return readings;
    const int lineOf[6] = {0, 1, 3, 4, 6, 7};
    for (int i = 0; i < 6; ++i) {
        const std::string& value = lines[lineOf[i]];
        if (!GroupedWithDots(value)) return readings;
        std::string digits;
        for (char c : value)
            if (c != '.') digits += c;
        readings.row[i] = std::atoll(digits.c_str());
    }
    readings.valid = true;
    return readings;
}

inline bool Ordered(const Readings& r) {
    return r.row[CpuMinimum] <= r.row[CpuCurrent] && r.row[CpuCurrent] <= r.row[CpuMaximum] &&
           r.row[RamMinimum] <= r.row[RamCurrent] && r.row[RamCurrent] <= r.row[RamMaximum];
}
