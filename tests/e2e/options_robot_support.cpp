// What the scenarios of options_robot share: the window started with
// settings, a program chosen, the passes and the summary tooltip read back.
#include "tests/e2e/options_robot.h"

#include <commctrl.h>

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int FrameReadings = 3;

} // namespace

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t at = 0;
    for (;;) {
        const size_t end = text.find(separator, at);
        parts.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) return parts;
        at = end + separator.size();
    }
}

bool StartWith(Brenk& brenk, const std::string& folder, const std::string& settings) {
    return WriteWholeFile(folder + "\\Brenk.ini", EnglishIni() + settings) && brenk.Start(folder) &&
           brenk.WaitReady();
}

bool Open(Brenk& brenk, const std::string& path, const std::string& commandLine) {
    return brenk.UseRequester(path.c_str()) && brenk.WaitStatus(StatusOpened) &&
           SetWindowTextTo(brenk.Control(FieldCommandLine), commandLine);
}

Readings NextPass(const Brenk& brenk, std::string& before, DWORD limitMs) {
    const Readings now = brenk.NextReadings(before, limitMs);
    if (now.valid) before = now.text;
    return now;
}

std::string Tooltip(const Brenk& brenk) {
    // A tooltip not on show is hidden, so every top window is looked at.
    HWND tip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    for (DWORD owner = 0; tip; tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr)) {
        GetWindowThreadProcessId(tip, &owner);
        if (owner == brenk.info.dwProcessId) break;
    }
    if (!tip) return "<no tooltip>";
    // The wide form: the narrow one hands out at most 80 bytes.
    constexpr SIZE_T TextRoom = 1024;
    const HANDLE process = brenk.info.hProcess;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(TOOLINFOW) + TextRoom * sizeof(wchar_t),
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return "<no memory>";
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = brenk.window;
    tool.uId = FrameReadings;
    tool.lpszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof tool);
    std::wstring wide(TextRoom, L'\0');
    DWORD_PTR result = 0;
    const bool read =
        WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr) &&
        WriteProcessMemory(process, tool.lpszText, wide.data(), sizeof(wchar_t), nullptr) &&
        SendMessageTimeoutW(tip, TTM_GETTEXTW, TextRoom, reinterpret_cast<LPARAM>(remote),
                            SMTO_ABORTIFHUNG, AnswerTimeoutMs, &result) &&
        ReadProcessMemory(process, tool.lpszText, wide.data(), (TextRoom - 1) * sizeof(wchar_t),
                          nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (!read) return "<no answer>";
    wide.resize(std::wcslen(wide.c_str()));
    std::string text(wide.size() * 2 + 1, '\0');
    text.resize(
        static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(),
                                                static_cast<int>(text.size()), nullptr, nullptr)));
    text.resize(std::strlen(text.c_str()));
    return text;
}

int64_t SummaryNumber(const std::string& summary, const std::string& caption) {
    const size_t at = summary.find(caption + " : ");
    if (at == std::string::npos) return -1;
    const std::pair<const char*, double> units[] = {
        {"", 1}, {"s", 1000}, {"min", 60000}, {"h", 3600000}, {"MiB", 1 << 20}, {"GiB", 1 << 30}};
    double total = 0;
    bool read = false;
    for (size_t i = at + caption.size() + 3; i < summary.size();) {
        std::string digits;
        for (; i < summary.size() && (std::isdigit(static_cast<unsigned char>(summary[i])) ||
                                      summary[i] == ',' || summary[i] == '.');
             ++i)
            if (summary[i] != ',') digits += summary[i];
        if (digits.empty()) break;
        read = true;
        if (i < summary.size() && summary[i] == ' ') ++i;
        std::string unit;
        for (; i < summary.size() && std::isalpha(static_cast<unsigned char>(summary[i])); ++i)
            unit += summary[i];
        if (i < summary.size() && summary[i] == ' ') ++i;
        double factor = 0;
        for (const auto& [name, size] : units)
            if (unit == name) factor = size;
        total += std::atof(digits.c_str()) * factor;
        if (unit.empty() || factor == 0) break;
    }
    return read ? std::llround(total) : -1;
}
