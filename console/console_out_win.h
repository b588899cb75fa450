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

// A file is written whole or left as it was: its bytes go to a new file in
// the same folder, which takes the file's name only once all is written.
// Where path is no file on a disk (NUL, a pipe, a console), it is written
// to directly, as nothing could be renamed over it.
bool WritesThroughTemporary(const Text& path);
// A name in path's folder that no file has yet, created empty for the caller
// to write; empty when none could be created.
Text CreateTemporaryBeside(const Text& path);
// The temporary file takes path's name, replacing a file of that name; when
// it cannot, it is removed and the file at path stays as it was.
bool TakeName(const Text& temporary, const Text& path);

// The full path of a file name as the system resolves it, in capitals as a
// file system that ignores letter case compares names; the name itself when
// it cannot be resolved.
Text FullFileName(const Text& path);

// The whole text into the file at path, written whole or not at all; false
// when it was not all written.
bool WriteFileText(const Text& path, const Text& text);
