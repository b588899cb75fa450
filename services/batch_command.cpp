// A batch file's command line, apart from the argument quoting: the window
// starts batch files but composes no argument list.
#include "services/command_line.h"

#include <utility>

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
