#include "services/command_line.h"

#include <utility>

Text QuoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos)
        return Text(argument);
    Text quoted = "\"";
    size_t slashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++slashes;
        } else {
            // Backslashes are plain unless a quotation mark follows them.
            if (c == '"') quoted.append(slashes + 1, '\\');
            slashes = 0;
        }
        quoted += c;
    }
    quoted.append(slashes, '\\');
    quoted += '"';
    return quoted;
}

Text ComposeCommand(const std::vector<Text>& command) {
    Text line;
    for (size_t i = 0; i < command.size(); ++i) {
        if (i == 0) {
            const bool blank = command[0].find_first_of(" \t") != Text::npos;
            line = blank ? "\"" + command[0] + "\"" : command[0];
            continue;
        }
        line += ' ';
        AppendText(line, QuoteArgument(command[i]));
    }
    return line;
}

bool IsBatchFile(std::string_view path) {
    if (path.size() < 4) return false;
    Text extension(path.substr(path.size() - 4));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension == ".bat" || extension == ".cmd";
}

bool ComposeBatchArguments(const std::vector<Text>& command, Text* arguments) {
    Text composed = "/d /v:off /s /c \"";
    for (size_t i = 0; i < command.size(); ++i) {
        if (command[i].find_first_of("\"%\r\n") != Text::npos) return false;
        if (i > 0) composed += ' ';
        composed += '"';
        AppendText(composed, command[i]);
        composed += '"';
    }
    composed += '"';
    *arguments = std::move(composed);
    return true;
}

bool ComposeBatchCommand(std::string_view processor, const std::vector<Text>& command, Text* line) {
    Text arguments;
    if (!ComposeBatchArguments(command, &arguments)) return false;
    Text composed = "\"";
    AppendText(composed, processor);
    AppendText(composed, "\" ");
    AppendText(composed, arguments);
    *line = std::move(composed);
    return true;
}
