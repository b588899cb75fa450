// The tool's command line: PROGRAM unquoted, the rest kept as written.
#include <gtest/gtest.h>

#include "monitor/tool_arguments.h"

namespace {

TEST(ToolArguments, NothingGivenKeepsTheToolAsItWas) {
    for (const char* line : {"", " ", " \t  "}) {
        const ToolArguments read = ReadToolArguments(line);
        EXPECT_FALSE(read.programGiven) << '"' << line << '"';
        EXPECT_EQ(read.program, "");
        EXPECT_EQ(read.arguments, "");
    }
    // An empty quoted name is a name, if an unusable one.
    EXPECT_TRUE(ReadToolArguments("\"\"").programGiven);
}

TEST(ToolArguments, ProgramUnquotedArgumentsAsWrittenWithSingleBlanks) {
    ToolArguments read = ReadToolArguments("  \"C:\\dir with blanks\\x.exe\"   \"a b\"\tc  ");
    EXPECT_EQ(read.program, "C:\\dir with blanks\\x.exe");
    EXPECT_EQ(read.arguments, "\"a b\" c");

    read = ReadToolArguments("Z:\\t\\burn_user.exe 3000");
    EXPECT_EQ(read.program, "Z:\\t\\burn_user.exe");
    EXPECT_EQ(read.arguments, "3000");

    // Quotes in the middle of a word, escaped quotes and a doubled quote
    // inside quotes end or continue an argument as the runtime reads them,
    // and each is handed on untouched.
    read = ReadToolArguments("p\"rog ram\".exe a\" \"b \\\"x y\\\" \"say \"\"hi\"\"\" \\\\\"q r\"");
    EXPECT_EQ(read.program, "prog ram.exe");
    EXPECT_EQ(read.arguments, "a\" \"b \\\"x y\\\" \"say \"\"hi\"\"\" \\\\\"q r\"");
    // The values a batch file is handed, one by one, as the runtime reads them.
    EXPECT_EQ(ArgumentValues(read.arguments),
              (std::vector<Text>{"a b", "\"x", "y\"", "say \"hi\"", "\\q r"}));

    // Backslashes before anything but a quote are plain; an unclosed quote
    // runs to the end.
    read = ReadToolArguments("C:\\a\\\\b\\ \"open end ");
    EXPECT_EQ(read.program, "C:\\a\\\\b\\");
    EXPECT_EQ(read.arguments, "\"open end ");
}

} // namespace
