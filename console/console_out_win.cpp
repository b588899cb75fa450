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

bool WriteFileText(const Text& path, const Text& text) {
    OwnedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.valid() &&
           WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}
