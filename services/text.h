// Text and number conversions. A text is an ordinary owned std::string holding
// 8-bit characters of the ANSI code page; an absent text (a null pointer, an
// empty string) reads as the empty text everywhere. Results are fresh values,
// so each thread's temporaries are its own without any shared storage.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using Text = std::string;

// A view of a zero-terminated text; null reads as the empty text.
inline std::string_view TextView(const char* text) {
    return text ? text : "";
}

// Decimal text of a signed 64-bit value; the most negative value included.
Text IntegerToText(int64_t value);

enum RoundMode : int32_t { FloorMode = 0, CeilingMode = 1, HalfAwayMode = 2 };

// Rounds in double precision and narrows back; any mode other than 1 or 2 floors.
float RoundToWhole(float value, int32_t mode);

// Bytes before the first zero byte.
int32_t TextLength(std::string_view text);

// From the 1-based position start on, at most count bytes. A start below 1
// starts at the first byte; a negative count counts as 0.
Text TextPart(std::string_view text, int32_t start, int32_t count);

// The last count bytes (all of them when the text is shorter).
Text TextTail(std::string_view text, int32_t count);

// Appends text to built and returns built.
Text& AppendText(Text& built, std::string_view text);

// Byte-wise equality, no case folding.
bool TextEquals(std::string_view a, std::string_view b);

void AssignText(Text& variable, std::string_view text);
void FreeText(Text& variable);

// ISO 8859-1 to UTF-8. On entry *sourceCount is the number of source bytes and
// *destinationCount the room; on return they hold the bytes consumed and
// produced. Writes no terminator.
void EncodeUtf8(const char* source, int32_t* sourceCount, char* destination,
                int32_t* destinationCount);

// The decimal text of value with a dot between groups of three digits counted
// from the right; a negative value is its grouped magnitude after a minus sign.
Text GroupDigits(int64_t value);
