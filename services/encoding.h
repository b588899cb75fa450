// What the programs' own texts are written in, and the conversions into it.
// Both programs ask the system for UTF-8 as their code page; a system that
// honours the request (Windows 10 1903 and later, and Wine) then takes and
// gives UTF-8 in every ANSI call, so names in any script pass through. An
// older system keeps its ANSI code page, and the programs stay as they were
// there. The texts stored in the programs are ISO 8859-1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "services/text.h"

// Set once at start-up, before any other thread runs.
void SetProcessTextUtf8(bool utf8);
bool ProcessTextIsUtf8();

// A stored ISO 8859-1 text as the process's text: UTF-8, or unchanged.
Text FromLatin1(std::string_view latin1);

// A stored ISO 8859-1 text, or a table of count of them, as the process's
// text, converted at its first use and kept for the life of the process.
// ASCII texts, and every text of a process that is not UTF-8, come back as
// they are.
const char* StoredText(const char* latin1);
const char* const* StoredTable(const char* const* latin1, size_t count);

// The characters of the process's text, as a column of text counts them.
int32_t CharacterCount(std::string_view text);

// True when text is well-formed UTF-8 (no overlong form, no surrogate).
bool IsUtf8(std::string_view text);

// Little-endian UTF-16 bytes (without their byte order mark) as UTF-8; an
// unpaired surrogate becomes U+FFFD.
Text Utf16ToUtf8(std::string_view bytes);

// The process's text as UTF-8, for a file format that is UTF-8 whatever the
// system: unchanged when the process's text already is, else read as ISO
// 8859-1.
Text ToUtf8(std::string_view text);
