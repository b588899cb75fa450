// Helpers for the Wine tests of the services: scratch folders, small files and
// bounded polls.
#pragma once

#include <windows.h>

#include <string>

#include "services/text.h"

// Polls condition every few milliseconds until it holds or limitMs pass; the
// condition's last value.
template <typename Condition> bool PollUntil(Condition condition, DWORD limitMs = 20000) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return condition();
        Sleep(5);
    }
}

// A fresh folder under the temporary directory whose name contains blanks,
// with its trailing backslash; removed with its files when the object goes.
class ScratchFolder {
  public:
    explicit ScratchFolder(const char* tag) {
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(sizeof temp, temp);
        path_ = temp;
        path_ += "brenk ";
        path_ += tag;
        path_ += ' ';
        path_ += IntegerToText(GetCurrentProcessId());
        path_ += '\\';
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAA found;
        const std::string pattern = path_ + "*";
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    DeleteFileA((path_ + found.cFileName).c_str());
                }
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // With its trailing backslash.
    const std::string& path() const { return path_; }
    std::string operator/(const char* name) const { return path_ + name; }

  private:
    std::string path_;
};

inline bool WriteWholeFile(const std::string& name, const std::string& content) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

inline std::string ReadWholeFile(const std::string& name) {
    std::string content;
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
}
