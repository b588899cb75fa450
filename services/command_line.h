// Command lines composed for a program to start: from a path and the
// parameters as typed, or from a list of arguments so that the program's own
// runtime splits it into that same list again.
#pragma once

#include <string_view>
#include <vector>

#include "services/text.h"

// One argument as the runtime reads it back: as it is when it holds no blank,
// tab or quotation mark and is not empty; otherwise in quotation marks, with
// each quotation mark escaped by a backslash and the backslashes before a
// quotation mark (or the closing one) doubled.
Text QuoteArgument(std::string_view argument);

// The program's name first (in quotation marks when it holds a blank: a name
// cannot hold a quotation mark, and its backslashes count as they are), then
// each argument quoted, joined by single blanks.
Text ComposeCommand(const std::vector<Text>& command);

// The command line for a path and its parameters: the path in quotation marks
// (unchanged when it already begins with one), then one blank and the
// parameters only when there are any.
Text ComposeCommandLine(std::string_view path, std::string_view parameters);

// Whether path names a batch file (.bat or .cmd), which the system runs
// through the command processor, whose own parsing would take the arguments'
// & | < > ^ as commands.
bool IsBatchFile(std::string_view path);

// The command line that runs a batch file through the command processor
// (processor: its path) with each argument as data: quoted, the whole in the
// outer pair the processor strips (/s), without AutoRun (/d) and without
// delayed expansion (/v:off). False, and nothing composed, when an argument
// holds what no quoting keeps from the processor: a quotation mark, a percent
// sign (expanded even inside quotation marks) or a line break.
bool ComposeBatchCommand(std::string_view processor, const std::vector<Text>& command,
                         Text* line);

// What ComposeBatchCommand puts after the processor's name: its switches and
// the quoted command; false, and nothing composed, where it refuses.
bool ComposeBatchArguments(const std::vector<Text>& command, Text* arguments);
