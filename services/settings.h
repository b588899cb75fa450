// Reader of small settings files of groups and key-value lines. Each thread has
// its own reader state, created on first use, so one file can be open per
// thread. Texts handed back point into the reader's buffer and stay valid until
// the thread closes or opens a file. Nothing is ever written back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Opens and parses the named file, first closing the calling thread's open file.
// Non-zero on success (an empty or unreadable-content file still counts as open);
// 0 when the file cannot be opened.
intptr_t OpenSettingsFile(std::string_view name);

// Parses n bytes as the content of a settings file, as OpenSettingsFile does
// with a file's bytes; for tests and platforms without the file opener.
// Always non-zero.
intptr_t OpenSettingsBytes(const char* data, size_t n);

// Makes the group of that name current (letter case of A..Z ignored); the empty
// name selects the top of the file. 1 when found, 0 otherwise; after a miss no
// key is found until a group is found or the empty name is selected.
int32_t SelectSettingsGroup(std::string_view group);

// The value of the key in the current group, or nullptr when there is none.
const char* FindSettingsValue(std::string_view key);

// The value of the key read as a decimal number the way atoi reads it, or
// fallback when the key has no value.
int32_t ReadSettingsNumber(std::string_view key, int32_t fallback);

// Ends the use of the file and clears the calling thread's reader state.
void CloseSettingsFile();
