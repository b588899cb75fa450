#include "console/command_words.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::vector<Text> SplitCommandLine(std::string_view line) {
    std::vector<Text> words;
    size_t at = 0;
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    if (at == line.size()) return words;
    // The name: a path, whose backslashes are never escapes.
    Text name;
    bool quoted = false;
    for (; at < line.size() && (quoted || !IsBlank(line[at])); ++at) {
        if (line[at] == '"')
            quoted = !quoted;
        else
            name += line[at];
    }
    words.push_back(std::move(name));
    for (;;) {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        if (at == line.size()) return words;
        Text word;
        quoted = false;
        while (at < line.size() && (quoted || !IsBlank(line[at]))) {
            if (line[at] == '\\') {
                size_t slashes = 0;
                for (; at < line.size() && line[at] == '\\'; ++at)
                    ++slashes;
                const bool mark = at < line.size() && line[at] == '"';
                word.append(mark ? slashes / 2 : slashes, '\\');
                // An odd count makes the mark plain; after an even one it groups.
                if (mark && slashes % 2 == 1) {
                    word += '"';
                    ++at;
                }
            } else if (line[at] != '"') {
                word += line[at++];
            } else if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
                word += '"';
                at += 2;
            } else {
                quoted = !quoted;
                ++at;
            }
        }
        words.push_back(std::move(word));
    }
}
