// The file requester's pattern list and start, without a window system.
#include <gtest/gtest.h>

#include "toolkit/requesters.h"

namespace {

using namespace std::string_literals;

TEST(RequesterPatterns, BarsBecomeZeroBytesAndTheListEndsWithAnEmptyText) {
    struct Case {
        const char* patterns;
        Text native;
    };
    const Case cases[] = {
        {"Executable (*.exe)|*.exe", "Executable (*.exe)\0*.exe\0"s},
        {"Programs|*.exe;*.com|All|*.*", "Programs\0*.exe;*.com\0All\0*.*\0"s},
        {"", "\0"s},
        {nullptr, "\0"s},
    };
    for (const Case& c : cases) {
        const Text native = NativePatternList(c.patterns);
        EXPECT_EQ(native, c.native) << (c.patterns ? c.patterns : "(null)");
        // The string's own terminator follows: two zero bytes end the list.
        EXPECT_EQ(native.c_str()[native.size()], '\0');
    }
}

TEST(RequesterStart, DefaultFileSplitsAtItsLastBackslashAndKeepsOnlyValidNames) {
    struct Case {
        const char* defaultFile;
        const char* directory;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\Tools\\", "C:\\Tools", ""},
        {"C:\\Tools\\run.exe", "C:\\Tools", "run.exe"},
        {"C:\\", "C:", ""}, // the current directory of drive C
        {"C:\\Tools\\a|b.exe", "C:\\Tools", ""},
        {"C:\\Tools\\a\tb.exe", "C:\\Tools", ""},
        {"C:\\Tools\\\xE4rger.exe", "C:\\Tools", "\xE4rger.exe"}, // umlauts are fine
        {"run.exe", "", "run.exe"},
        {"\\run.exe", "", ""},        // a leading backslash splits nothing
        {"C:/Tools/run.exe", "", ""}, // only the backslash separates here
        {"\\\\server\\share\\x.exe", "\\\\server\\share", "x.exe"},
        {"", "", ""},
        {nullptr, "", ""},
    };
    for (const Case& c : cases) {
        const RequesterStart start = RequesterStartOf(c.defaultFile);
        const char* shown = c.defaultFile ? c.defaultFile : "(null)";
        EXPECT_EQ(start.directory, c.directory) << shown;
        EXPECT_EQ(start.name, c.name) << shown;
    }
}

} // namespace
