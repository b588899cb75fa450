// Opening and reading a settings file with Win32; parsing and lookups are the
// platform-neutral half in settings.cpp.
#include "services/settings.h"

#include "services/settings_reader.h"
#include "services/text.h"

#include <windows.h>

namespace {

void CloseSettingsHandle(intptr_t file) {
    CloseHandle(reinterpret_cast<HANDLE>(file));
}

HANDLE OpenForReading(const char* name) {
    // Read and write access, letting others read, keeps the file for a later
    // write-back; a read-only file or one that another program holds open for
    // writing still reads through the fallback, which shares it fully.
    HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    return CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

intptr_t OpenSettingsFile(std::string_view name) {
    CloseSettingsFile();
    Text path(name.substr(0, name.find('\0')));
    HANDLE file = OpenForReading(path.c_str());
    if (file == INVALID_HANDLE_VALUE) {
        RememberSettingsName(path);
        return 0;
    }
    auto handle = reinterpret_cast<intptr_t>(file);

    LARGE_INTEGER fileSize{};
    if (!GetFileSizeEx(file, &fileSize) || fileSize.QuadPart <= 0) {
        return AdoptSettingsFile(handle, CloseSettingsHandle, nullptr, 0, false);
    }
    const auto size = static_cast<uint64_t>(fileSize.QuadPart);
    // One read call takes at most 4 GiB less a little; a larger file is treated
    // like one whose buffer could not be had: open, with no elements.
    std::unique_ptr<char[]> content;
    if (size <= MAXDWORD - 2) content = AllocateSettingsBuffer(static_cast<size_t>(size));
    DWORD read = 0;
    if (content && !ReadFile(file, content.get(), static_cast<DWORD>(size), &read, nullptr))
        read = 0;
    return AdoptSettingsBytes(handle, CloseSettingsHandle, std::move(content), read);
}
