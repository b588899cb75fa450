// Where the test programs are, as a Windows path for CreateProcess and the
// shell. Link the test against test_programs to get them built first.
#pragma once

#include <string>

// Full Windows path of a test program, e.g. TestProgramPath("burn_user.exe").
// Under Wine the build tree is reached through drive Z:, the file-system root.
inline std::string TestProgramPath(const char* name) {
    std::string path = "Z:";
    path += BRENK_TEST_PROGRAMS_DIR;
    path += '/';
    path += name;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}
