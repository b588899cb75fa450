#include "services/files.h"

#include <string_view>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// A path in quotation marks is read from after the opening one.
std::string_view Unquoted(const char* path) {
    std::string_view text = TextView(path);
    if (text.starts_with('"')) text.remove_prefix(1);
    return text;
}

} // namespace

Text FileNameOf(const char* path) {
    std::string_view text = Unquoted(path);
    size_t begin = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if (IsSeparator(text[at])) begin = at + 1;
    }
    std::string_view name = text.substr(begin);
    return Text(name.substr(0, name.find('"')));
}

Text DirectoryOf(const char* path) {
    std::string_view text = Unquoted(path);
    // A vertical bar ends the path: what follows it is not part of any name.
    text = text.substr(0, text.find('|'));
    size_t end = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if (IsSeparator(text[at])) end = at + 1;
    }
    return Text(text.substr(0, end));
}

int32_t IsValidFileName(const char* name) {
    const std::string_view text = TextView(name);
    if (text.empty()) return 0;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 32) return 0;
        if (std::string_view("\"\\/:*?<>|").find(c) != std::string_view::npos) return 0;
    }
    return 1;
}

bool IsShortcutName(std::string_view path) {
    constexpr std::string_view extension = ".lnk";
    if (path.size() < extension.size()) return false;
    const std::string_view end = path.substr(path.size() - extension.size());
    for (size_t at = 0; at < extension.size(); ++at) {
        const char c = end[at];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != extension[at])
            return false;
    }
    return true;
}

int32_t ImageBitsOf(std::string_view head) {
    const auto byte = [&](size_t at) -> uint32_t {
        return at < head.size() ? static_cast<unsigned char>(head[at]) : 0;
    };
    const auto word = [&](size_t at) { return byte(at) | byte(at + 1) << 8; };
    if (head.size() < 0x40 || head.substr(0, 2) != "MZ") return 0;
    const size_t header = word(0x3C) | static_cast<size_t>(word(0x3E)) << 16;
    if (header > head.size() - 6 || head.substr(header, 4) != std::string_view("PE\0\0", 4))
        return 0;
    switch (word(header + 4)) {
    case 0x014C: // x86
    case 0x01C4: // ARM Thumb-2
        return 32;
    case 0x8664: // x64
    case 0xAA64: // ARM64
        return 64;
    default:
        return 0;
    }
}
