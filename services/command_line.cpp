#include "services/command_line.h"

Text ComposeCommandLine(std::string_view path, std::string_view parameters) {
    Text line;
    // Room for the quotation marks and the blank, so nothing reallocates.
    line.reserve(path.size() + parameters.size() + 3);
    // A path already in quotation marks is the caller's own quoting; quoting
    // it again would make the program name the empty text.
    if (path.starts_with('"')) {
        line += path;
    } else {
        line += '"';
        line += path;
        line += '"';
    }
    if (!parameters.empty()) {
        line += ' ';
        line += parameters;
    }
    return line;
}
