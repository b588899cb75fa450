// A whole command line, as --compare and --prepare take one, split into the
// program and its arguments as a program's runtime splits its own.
#pragma once

#include <string_view>
#include <vector>

#include "services/text.h"

// The program's name first (quotation marks only group, backslashes are
// plain), then each argument: blanks and tabs outside quotation marks
// separate, backslashes are plain unless a quotation mark follows them (2n
// give n and the mark groups, 2n + 1 give n and a plain mark), and "" within
// quotation marks is a plain one. Empty for a line of blanks.
std::vector<Text> SplitCommandLine(std::string_view line);
