#include "monitor/tool_arguments.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

struct Argument {
    Text value;          // as the runtime hands it to the program
    std::string_view as; // as written
};

// Reads the argument that starts at *at (past any blanks); false when none is left.
bool NextArgument(std::string_view line, size_t* at, Argument* argument) {
    size_t i = *at;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i >= line.size()) return false;
    const size_t start = i;
    argument->value.clear();
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
        if (line[i] == '\\') {
            size_t slashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                argument->value.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    argument->value += '"';
                    ++i;
                }
            } else {
                argument->value.append(slashes, '\\');
            }
        } else if (line[i] == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                argument->value += '"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else {
            argument->value += line[i++];
        }
    }
    argument->as = line.substr(start, i - start);
    *at = i;
    return true;
}

} // namespace

ToolArguments ReadToolArguments(std::string_view commandLine) {
    ToolArguments result;
    size_t at = 0;
    Argument argument;
    if (!NextArgument(commandLine, &at, &argument)) return result;
    result.programGiven = true;
    result.program = argument.value;
    // Rebuilt from the arguments as written, not from their values: the
    // observed program's runtime then splits them exactly as ours did.
    while (NextArgument(commandLine, &at, &argument)) {
        if (!result.arguments.empty()) result.arguments += ' ';
        result.arguments.append(argument.as);
    }
    return result;
}

std::vector<Text> ArgumentValues(std::string_view arguments) {
    std::vector<Text> values;
    size_t at = 0;
    Argument argument;
    while (NextArgument(arguments, &at, &argument))
        values.push_back(argument.value);
    return values;
}
