// What both programs say when a start fails, and what runs a batch file.
#include "services/launch.h"

#include "services/files.h"

Text CommandProcessorPath() {
    char path[MAX_PATH * 4];
    DWORD length = GetEnvironmentVariableA("ComSpec", path, sizeof path);
    if (length > 0 && length < sizeof path) return Text(path, length);
    length = GetSystemDirectoryA(path, sizeof path);
    Text processor(path, length < sizeof path ? length : 0);
    AppendText(processor, "\\cmd.exe");
    return processor;
}

Text SystemErrorText(uint32_t error, std::string_view insert) {
    char message[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, message, sizeof message, nullptr);
    Text reason(message, length < sizeof message ? length : 0);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    // "%1 is not a valid application": the file it is about.
    const size_t at = reason.find("%1");
    if (at != Text::npos) reason.replace(at, 2, insert);
    return reason;
}

int32_t ProgramBitsOf(const Text& path) {
    OwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    char head[4096];
    DWORD read = 0;
    if (!file.valid() || !ReadFile(file.get(), head, sizeof head, &read, nullptr)) return 0;
    return ImageBitsOf(std::string_view(head, read));
}
