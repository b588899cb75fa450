#include "console/console_out_win.h"

#include <vector>

#include "console/run_options.h"
#include "services/owned_handle.h"

void WriteTo(DWORD which, std::string_view text) {
    const HANDLE handle = GetStdHandle(which);
    if (!handle || handle == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const int size = static_cast<int>(text.size());
        std::vector<wchar_t> wide(text.size());
        const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), size);
        if (count > 0 && WriteConsoleW(handle, wide.data(), static_cast<DWORD>(count), &written,
                                       nullptr))
            return;
    }
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

int32_t Fail(int32_t status, std::string_view line, bool usage) {
    Text text(line);
    AppendText(text, "\r\n");
    if (usage) {
        AppendText(text, UsageLine());
        AppendText(text, "\r\n");
    }
    WriteTo(STD_ERROR_HANDLE, text);
    return status;
}

bool WritesThroughTemporary(const Text& path) {
    const OwnedHandle existing(CreateFileA(path.c_str(), 0,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    return !existing.valid() || GetFileType(existing.get()) == FILE_TYPE_DISK;
}

Text CreateTemporaryBeside(const Text& path) {
    // The process id keeps two brenkrun apart, the count two files of one.
    for (uint32_t attempt = 0; attempt < 100; ++attempt) {
        Text name = path;
        AppendText(name, ".~");
        AppendText(name, IntegerToText(GetCurrentProcessId()));
        AppendText(name, "-");
        AppendText(name, IntegerToText(attempt));
        const OwnedHandle file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid()) return name;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return Text();
}

bool TakeName(const Text& temporary, const Text& path) {
    if (MoveFileExA(temporary.c_str(), path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary.c_str());
    return false;
}

Text FullFileName(const Text& path) {
    char full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) return path;
    std::vector<wchar_t> wide(length);
    const auto count = static_cast<DWORD>(MultiByteToWideChar(
        CP_ACP, 0, full, static_cast<int>(length), wide.data(), static_cast<int>(length)));
    // Upper case as the file system folds names; the locale's rules, the
    // Turkish i among them, are none of its business.
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(count),
                 wide.data(), static_cast<int>(count));
    Text folded(static_cast<size_t>(length) * 3, '\0');
    const int size =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(count), folded.data(),
                            static_cast<int>(folded.size()), nullptr, nullptr);
    if (size <= 0) return path;
    folded.resize(static_cast<size_t>(size));
    return folded;
}

namespace {

bool WriteAll(const char* path, DWORD disposition, const Text& text) {
    OwnedHandle file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.valid() &&
           WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

} // namespace

bool WriteFileText(const Text& path, const Text& text) {
    if (!WritesThroughTemporary(path)) return WriteAll(path.c_str(), OPEN_EXISTING, text);
    const Text temporary = CreateTemporaryBeside(path);
    if (temporary.empty()) return false;
    if (WriteAll(temporary.c_str(), TRUNCATE_EXISTING, text)) return TakeName(temporary, path);
    DeleteFileA(temporary.c_str());
    return false;
}
