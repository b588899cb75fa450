// The tool's own command line: brenk.exe PROGRAM [ARGUMENTS...]. A file
// manager that has a file dropped on brenk.exe passes it the same way, as the
// first argument.
#pragma once

#include <string_view>
#include <vector>

#include "services/text.h"

struct ToolArguments {
    bool programGiven = false; // false: nothing but blanks after the tool's own name
    Text program;              // PROGRAM as the runtime reads it, quotes removed
    // The arguments after PROGRAM, each exactly as it was written (so an
    // argument that holds blanks keeps its quotes), joined with single blanks.
    Text arguments;
};

// Reads the command line after the tool's own name (what the platform hands
// the program's entry). Arguments are split as the C runtime splits them:
// blanks and tabs separate them unless quoted; a double quote preceded by an
// odd number of backslashes is a plain character; "" inside quotes is a quote.
ToolArguments ReadToolArguments(std::string_view commandLine);

// The values of arguments as written in the command-line field, split as
// above: what a batch file is to be handed, one by one.
std::vector<Text> ArgumentValues(std::string_view arguments);
