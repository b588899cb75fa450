#include "services/settings.h"

#include "services/encoding.h"

#include "services/settings_reader.h"
#include "services/text.h"
#include "services/thread_state.h"

#include <climits>
#include <cstring>
#include <new>
#include <utility>

namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The calling thread's reader. Nothing sets a changed flag because no
// operation changes the content, so nothing is ever written back.
struct SettingsReader {
    PerThreadStateCount counted;
    intptr_t file = 0;
    SettingsFileCloser closer = nullptr;
    bool nameRemembered = false;
    Text rememberedName;
    std::unique_ptr<char[]> buffer;
    bool utf8 = false;
    std::vector<SettingsElement> elements;
    // Index of the current group header; -1 for the top of the file.
    ptrdiff_t currentGroup = -1;
    // A group that was asked for and not found; empty when none is pending.
    Text pendingGroup;

    bool Active() const { return file != 0 || nameRemembered; }

    void Clear() {
        if (file != 0 && closer) closer(file);
        file = 0;
        closer = nullptr;
        nameRemembered = false;
        FreeText(rememberedName);
        buffer.reset();
        utf8 = false;
        elements.clear();
        elements.shrink_to_fit();
        currentGroup = -1;
        FreeText(pendingGroup);
    }

    SettingsReader() = default;
    SettingsReader(const SettingsReader&) = delete;
    SettingsReader& operator=(const SettingsReader&) = delete;
    ~SettingsReader() { Clear(); }
};

SettingsReader& ThisThreadsReader() {
    static PerThreadState<SettingsReader> readers;
    return readers.get();
}

// Texts are zero-terminated for the reader as for everyone else: a name with a
// zero byte in it ends there.
std::string_view UpToZero(std::string_view name) {
    return name.substr(0, name.find('\0'));
}

// The stored names of a UTF-8 file are UTF-8, the names asked for are ANSI:
// convert the wanted name so that the two compare byte for byte.
Text WantedName(const SettingsReader& reader, std::string_view name) {
    if (!reader.utf8) return Text(name);
    Text converted;
    // EncodeUtf8 counts in 32 bits; going in pieces converts any length. Every
    // byte becomes at most two, so each piece fits its room whole.
    char encoded[2048];
    constexpr size_t piece = sizeof encoded / 2;
    while (!name.empty()) {
        int32_t sourceCount = static_cast<int32_t>(name.size() < piece ? name.size() : piece);
        int32_t destinationCount = static_cast<int32_t>(sizeof encoded);
        EncodeUtf8(name.data(), &sourceCount, encoded, &destinationCount);
        converted.append(encoded, static_cast<size_t>(destinationCount));
        name.remove_prefix(static_cast<size_t>(sourceCount));
    }
    return converted;
}

char FoldCase(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Equality ignoring the letter case of A..Z only, so that bytes of other
// code pages never match by accident of a locale.
bool SameName(const char* stored, std::string_view wanted) {
    for (size_t i = 0; i < wanted.size(); ++i) {
        if (stored[i] == '\0' || FoldCase(stored[i]) != FoldCase(wanted[i])) return false;
    }
    return stored[wanted.size()] == '\0';
}

// Index of the first line end at or after at; size when the text ends first.
size_t LineEndFrom(const char* text, size_t size, size_t at) {
    while (at < size && !IsLineEnd(text[at]))
        ++at;
    return at;
}

} // namespace

std::vector<SettingsElement> ParseSettings(char* text, size_t size) {
    std::vector<SettingsElement> elements;
    size_t at = 0;
    for (;;) {
        // A run of line ends is one break, so empty lines carry no meaning.
        while (at < size && IsLineEnd(text[at]))
            ++at;
        while (at < size && IsBlank(text[at]))
            ++at;
        if (at >= size) break;
        // A line of blanks only is an empty line too: its line end is not a
        // character of the line, so it makes no empty key.
        if (IsLineEnd(text[at])) continue;

        if (text[at] == ';') {
            ++at;
            if (at < size && text[at] == ' ') ++at;
            size_t start = at;
            at = LineEndFrom(text, size, at);
            text[at] = '\0';
            elements.push_back({SettingsElementKind::Comment, text + start, text + at});
        } else if (text[at] == '[') {
            size_t start = ++at;
            while (at < size && !IsLineEnd(text[at]) && text[at] != ']')
                ++at;
            bool closed = at < size && text[at] == ']';
            text[at] = '\0';
            elements.push_back({SettingsElementKind::Group, text + start, text + at});
            // Whatever follows the bracket on its line is ignored.
            if (closed) at = LineEndFrom(text, size, at + 1);
        } else {
            size_t start = at;
            while (at < size && !IsLineEnd(text[at]) && text[at] != '=')
                ++at;
            size_t keyEnd = at;
            while (keyEnd > start && IsBlank(text[keyEnd - 1]))
                --keyEnd;
            const char* value = text + keyEnd;
            if (at < size && text[at] == '=') {
                ++at;
                while (at < size && IsBlank(text[at]))
                    ++at;
                value = text + at;
                at = LineEndFrom(text, size, at);
                text[at] = '\0';
            }
            // Written last: without "=" the key's own terminator is the empty value.
            text[keyEnd] = '\0';
            elements.push_back({SettingsElementKind::Key, text + start, value});
        }
    }
    return elements;
}

bool StartsWithUtf8Mark(const char* data, size_t size) {
    return size >= 3 && static_cast<unsigned char>(data[0]) == 0xEF &&
           static_cast<unsigned char>(data[1]) == 0xBB &&
           static_cast<unsigned char>(data[2]) == 0xBF;
}

int32_t SettingsNumber(const char* text) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    // A number beyond 32 bits saturates at the nearest limit, as strtol does,
    // instead of overflowing: the magnitude stops growing once it is past the
    // largest one that still fits, so it never overflows 64 bits either.
    constexpr int64_t pastLimit = int64_t{INT32_MAX} + 1;
    int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude <= pastLimit) magnitude = magnitude * 10 + (*p - '0');
    }
    if (negative) return magnitude >= pastLimit ? INT32_MIN : static_cast<int32_t>(-magnitude);
    return magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
}

std::unique_ptr<char[]> AllocateSettingsBuffer(size_t size) {
    if (size > SIZE_MAX - 2) return nullptr;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size + 2]);
    if (buffer) buffer[size] = buffer[size + 1] = '\0';
    return buffer;
}

intptr_t AdoptSettingsFile(intptr_t file, SettingsFileCloser closer,
                           std::unique_ptr<char[]> content, size_t size, bool utf8) {
    SettingsReader& reader = ThisThreadsReader();
    reader.file = file;
    reader.closer = closer;
    reader.utf8 = utf8;
    reader.buffer = std::move(content);
    if (reader.buffer) {
        // Fewer bytes than were allocated may have been read.
        reader.buffer[size] = reader.buffer[size + 1] = '\0';
        reader.elements = ParseSettings(reader.buffer.get(), size);
    }
    return file;
}

void RememberSettingsName(std::string_view name) {
    SettingsReader& reader = ThisThreadsReader();
    reader.nameRemembered = true;
    AssignText(reader.rememberedName, UpToZero(name));
}

const std::vector<SettingsElement>& SettingsElementsOfThisThread() {
    return ThisThreadsReader().elements;
}

intptr_t AdoptSettingsBytes(intptr_t file, SettingsFileCloser closer,
                            std::unique_ptr<char[]> content, size_t size) {
    const std::string_view bytes = content ? std::string_view(content.get(), size) : std::string_view();
    Text converted;
    bool replace = false;
    bool utf8 = StartsWithUtf8Mark(bytes.data(), bytes.size());
    const size_t skip = utf8 ? 3 : 0;
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") {
        // UTF-16 with its mark, as a Windows editor saves "Unicode".
        converted = Utf16ToUtf8(bytes.substr(2));
        replace = utf8 = true;
    } else if (!utf8 && ProcessTextIsUtf8() && !IsUtf8(bytes)) {
        // An ANSI file read by a UTF-8 process: its letters kept.
        converted = FromLatin1(bytes);
        replace = utf8 = true;
    } else if (!utf8 && ProcessTextIsUtf8()) {
        utf8 = true; // UTF-8 without a mark, as most editors now save
    }
    if (replace) {
        content = AllocateSettingsBuffer(converted.size());
        if (content) std::memcpy(content.get(), converted.data(), converted.size());
        size = content ? converted.size() : 0;
    } else if (skip > 0) {
        std::memmove(content.get(), content.get() + skip, size - skip);
        size -= skip;
        content[size] = content[size + 1] = '\0';
    }
    return AdoptSettingsFile(file, closer, std::move(content), size, utf8);
}

intptr_t OpenSettingsBytes(const char* data, size_t n) {
    CloseSettingsFile();
    std::unique_ptr<char[]> buffer = AllocateSettingsBuffer(n);
    size_t kept = 0;
    if (buffer && n > 0) {
        std::memcpy(buffer.get(), data, n);
        kept = n;
    }
    // No file stands behind the bytes; 1 marks the reader open all the same.
    return AdoptSettingsBytes(1, nullptr, std::move(buffer), kept);
}

int32_t SelectSettingsGroup(std::string_view group) {
    SettingsReader& reader = ThisThreadsReader();
    if (!reader.Active()) {
        FreeText(reader.pendingGroup);
        return 0;
    }
    std::string_view name = UpToZero(group);
    if (name.empty()) {
        reader.currentGroup = -1;
        FreeText(reader.pendingGroup);
        return 1;
    }
    Text wanted = WantedName(reader, name);
    for (size_t i = 0; i < reader.elements.size(); ++i) {
        const SettingsElement& element = reader.elements[i];
        if (element.kind == SettingsElementKind::Group && SameName(element.text, wanted)) {
            reader.currentGroup = static_cast<ptrdiff_t>(i);
            FreeText(reader.pendingGroup);
            return 1;
        }
    }
    AssignText(reader.pendingGroup, wanted);
    return 0;
}

const char* FindSettingsValue(std::string_view key) {
    SettingsReader& reader = ThisThreadsReader();
    if (!reader.Active() || !reader.pendingGroup.empty()) return nullptr;
    Text wanted = WantedName(reader, UpToZero(key));
    for (size_t i = static_cast<size_t>(reader.currentGroup + 1); i < reader.elements.size(); ++i) {
        const SettingsElement& element = reader.elements[i];
        if (element.kind == SettingsElementKind::Group) return nullptr;
        if (element.kind == SettingsElementKind::Key && SameName(element.text, wanted)) {
            return element.value;
        }
    }
    return nullptr;
}

int32_t ReadSettingsNumber(std::string_view key, int32_t fallback) {
    const char* value = FindSettingsValue(key);
    return value ? SettingsNumber(value) : fallback;
}

void CloseSettingsFile() {
    ThisThreadsReader().Clear();
}
