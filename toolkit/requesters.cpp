// The parts of the file requester that need no window system: the pattern list
// in the native form and where the requester starts.
#include "toolkit/requesters.h"

#include "services/files.h"

Text NativePatternList(const char* patterns) {
    Text list(TextView(patterns));
    for (char& c : list) {
        if (c == '|') c = '\0';
    }
    // The string's own terminator gives the first zero at the end; this one
    // closes the list even when the last pair was complete.
    list.push_back('\0');
    return list;
}

RequesterStart RequesterStartOf(const char* defaultFile) {
    RequesterStart start;
    const std::string_view file = TextView(defaultFile);
    const size_t slash = file.rfind('\\');
    Text name;
    if (slash != std::string_view::npos && slash > 0) {
        start.directory = Text(file.substr(0, slash));
        name = Text(file.substr(slash + 1));
    } else {
        name = Text(file);
    }
    if (IsValidFileName(name.c_str())) start.name = name;
    return start;
}
