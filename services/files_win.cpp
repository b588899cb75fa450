#include "services/files.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr size_t nameRoom = 260;

} // namespace

int64_t QueryFileLength(const char* name) {
    if (!name || !*name) return -1;
    char copy[nameRoom + 1] = {};
    std::strncpy(copy, name, nameRoom);
    size_t length = std::strlen(copy);

    // Two or three characters with a colon second name a drive ("C:", "C:\\",
    // and also "C:a"), which the drive-type query answers, not the search.
    if ((length == 2 || length == 3) && copy[1] == ':') {
        if (length == 2) copy[2] = '\\';
        const UINT type = GetDriveTypeA(copy);
        return type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR ? -1 : -2;
    }

    // The search does not find "dir\" but does find "dir".
    while (length > 0 && copy[length - 1] == '\\')
        copy[--length] = 0;

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(copy, &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -2;
        return static_cast<int64_t>((static_cast<uint64_t>(found.nFileSizeHigh) << 32) |
                                    found.nFileSizeLow);
    }
    // The root of a network share is no entry the search can find.
    if (copy[0] == '\\' && copy[1] == '\\') {
        const DWORD attributes = GetFileAttributesA(copy);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return -2;
        }
    }
    return -1;
}
