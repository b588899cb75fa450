#include "services/launcher.h"
#include "services/launch_errors.h"

#include <gtest/gtest.h>

namespace {

struct CommandLineCase {
    const char* path;
    const char* parameters;
    const char* expected;
};

TEST(ComposeCommandLine, QuotesThePathAndAddsParametersAfterOneBlank) {
    static const CommandLineCase cases[] = {
        {R"(C:\Tools\app.exe)", "-v 2", R"("C:\Tools\app.exe" -v 2)"},
        // No blank after the path when there is nothing to follow it.
        {R"(C:\Tools\app.exe)", "", R"("C:\Tools\app.exe")"},
        // Blanks in the path stay inside the one quoted token.
        {R"(C:\Program Files\My App\app.exe)", "a b", R"("C:\Program Files\My App\app.exe" a b)"},
        // The caller's own quoting is kept as it is.
        {R"("C:\Tools\app.exe")", "-v", R"("C:\Tools\app.exe" -v)"},
        {R"("C:\Tools\app.exe" -x)", "", R"("C:\Tools\app.exe" -x)"},
        // Parameters go through untouched, quotation marks and blanks alike.
        {"app.exe", R"( "x y" )", R"("app.exe"  "x y" )"},
        {"", "", R"("")"},
    };
    for (const CommandLineCase& c : cases) {
        EXPECT_EQ(ComposeCommandLine(c.path, c.parameters), c.expected)
            << "path " << c.path << " parameters " << c.parameters;
    }
}

TEST(ShellDirectoryOf, EndsWithTheLastBackslashUnlessItIsTheFirstCharacter) {
    static const std::pair<const char*, const char*> cases[] = {
        {R"(C:\Tools\notes.txt)", R"(C:\Tools\)"},
        {R"(C:\notes.txt)", R"(C:\)"},
        {R"(\\server\share\a.txt)", R"(\\server\share\)"},
        {R"(\notes.txt)", ""},
        {"notes.txt", ""},
        // Only backslashes separate here: the shell is handed a Windows path.
        {"C:/Tools/notes.txt", ""},
        {"", ""},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(ShellDirectoryOf(path), expected) << "path " << path;
    }
}

// brenkrun --pid: a process that is there but may not be opened is told by
// the opening's error from a number that no process has.
TEST(WatchOpening, OnlyAccessDeniedIsAProcessThatIsThere) {
    EXPECT_TRUE(RefusedAccess(5));   // ERROR_ACCESS_DENIED
    EXPECT_FALSE(RefusedAccess(87)); // ERROR_INVALID_PARAMETER
}

} // namespace
