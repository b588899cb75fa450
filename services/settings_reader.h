// The inside of the settings reader, shared by its platform-neutral half, the
// file opener of each platform, and the tests. Users of the reader include
// settings.h only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

enum class SettingsElementKind : int8_t { Group, Comment, Key };

// One parsed line. text is the group name, comment text or key; value is the
// key's value (empty for the other kinds). Both point into the parsed buffer.
struct SettingsElement {
    SettingsElementKind kind;
    const char* text;
    const char* value;
};

// Parses size bytes at text in place, writing a zero byte behind every name,
// key, value and comment. text[size] must be a writable zero byte; nothing
// beyond it is read or written.
std::vector<SettingsElement> ParseSettings(char* text, size_t size);

// True when the bytes begin with the UTF-8 byte-order mark EF BB BF.
bool StartsWithUtf8Mark(const char* data, size_t size);

// The number at the start of text as atoi reads it, saturated to 32 bits.
int32_t SettingsNumber(const char* text);

using SettingsFileCloser = void (*)(intptr_t file);

// A buffer for a file's content of size bytes plus the two zero bytes behind
// it; null when it cannot be had.
std::unique_ptr<char[]> AllocateSettingsBuffer(size_t size);

// The whole content of a settings file into the reader: a UTF-16 file (with
// its mark) and, in a process whose text is UTF-8, an ANSI file converted to
// UTF-8, a UTF-8 mark dropped.
intptr_t AdoptSettingsBytes(intptr_t file, SettingsFileCloser closer,
                            std::unique_ptr<char[]> content, size_t size);

// Hands an opened file to the calling thread's reader, which must have been
// closed: the first size bytes of content (null for none) are parsed and the
// reader closes the file with closer (may be null) when it is done. Returns file.
intptr_t AdoptSettingsFile(intptr_t file, SettingsFileCloser closer,
                           std::unique_ptr<char[]> content, size_t size, bool utf8);

// Records a file that could not be opened.
void RememberSettingsName(std::string_view name);

// The calling thread's element list, for checks from tests.
const std::vector<SettingsElement>& SettingsElementsOfThisThread();
