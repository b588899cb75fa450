#include "services/files.h"

#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/services/service_test_support.h"

namespace {

// A drive letter that names no drive here, or 0 when every letter is taken.
char MissingDrive() {
    const DWORD drives = GetLogicalDrives();
    for (int letter = 'Z' - 'A'; letter >= 'D' - 'A'; --letter) {
        if (!(drives & (1u << letter))) return static_cast<char>('A' + letter);
    }
    return 0;
}

TEST(QueryFileLength, FilesDirectoriesAndDrives) {
    ScratchFolder folder("file length");
    ASSERT_TRUE(WriteWholeFile(folder / "empty.dat", ""));
    ASSERT_TRUE(WriteWholeFile(folder / "five.dat", "12345"));
    ASSERT_TRUE(WriteWholeFile(folder / "other.txt", "1234567"));
    const std::string directory = folder.path(); // with its trailing backslash
    const std::string bare = directory.substr(0, directory.size() - 1);
    char missingDrive[] = "?:";
    missingDrive[0] = MissingDrive();
    ASSERT_NE(missingDrive[0], 0);
    const std::string missingRoot = std::string(missingDrive) + "\\";

    const std::pair<std::string, int64_t> cases[] = {
        {folder / "empty.dat", 0},
        {folder / "five.dat", 5},
        {folder / "missing.dat", -1},
        {directory, -2},
        {bare, -2},
        {directory + "\\\\", -2}, // every trailing backslash goes
        {"C:", -2},
        {"C:\\", -2},
        {missingDrive, -1},
        {missingRoot, -1},
        {folder / "f*.dat", 5}, // the one match
        {folder / "*.txt", 7},
        {folder / "nothing*.bin", -1},
        {"", -1},
        {std::string(300, 'a'), -1}, // cut to 260 characters, names nothing
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(QueryFileLength(name.c_str()), expected) << "name " << name;
    }
    EXPECT_EQ(QueryFileLength(nullptr), -1);

    // "C:a" names a drive (none), not the file a in the current folder.
    ASSERT_TRUE(WriteWholeFile(folder / "a", "123"));
    char previous[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(directory.c_str());
    EXPECT_EQ(QueryFileLength("C:a"), -1);
    SetCurrentDirectoryA(previous);
}

// Lengths beyond 32 bits come whole; a sparse file takes no room on disk.
TEST(QueryFileLength, LengthBeyondFourGigabytes) {
    ScratchFolder folder("file large");
    const std::string name = folder / "large.bin";
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    const int64_t length = (int64_t{5} << 30) + 3;
    LARGE_INTEGER end;
    end.QuadPart = length;
    const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(sized);
    EXPECT_EQ(QueryFileLength(name.c_str()), length);
}

} // namespace
