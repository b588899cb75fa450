#include "services/command_line.h"

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
