// What brenkrun writes: to its console, to a redirected standard handle, or
// to a file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "services/text.h"

// Text to a console in its own characters (the texts are in the ANSI code
// page, German ones too); to a file or pipe as the bytes they are.
void WriteTo(DWORD which, std::string_view text);

// The line (and the usage line) on standard error; returns status.
int32_t Fail(int32_t status, std::string_view line, bool usage = false);

// The whole text into a new file at path; false when it was not all written.
bool WriteFileText(const Text& path, const Text& text);
