// Queries on file names and files. Texts are zero-terminated 8-bit (ANSI)
// strings; a null pointer counts as the empty text. Backslash and slash are
// both separators in the name functions.
#pragma once

#include <cstdint>
#include <string_view>

#include "services/text.h"

// Length in bytes of the named file; -1 when there is no such file or drive,
// -2 when the name denotes a directory or a drive root. Wildcards give the
// length of the first match.
int64_t QueryFileLength(const char* name);

// The file-name part of a path: after its last separator, without a leading or
// closing quotation mark.
Text FileNameOf(const char* path);

// The directory part of a path up to and including its last separator (the
// scan stops at a vertical bar), without a leading quotation mark; empty when
// the path has no separator.
Text DirectoryOf(const char* path);

// 1 when name may be used as a file name: not empty, no control characters and
// none of " \ / : * ? < > |. Else 0.
int32_t IsValidFileName(const char* name);

// True when path names a shortcut file: it ends in ".lnk", in any letter case.
bool IsShortcutName(std::string_view path);

// The bits of a program's image from the start of its file (at least the
// first 4 KB): 32 or 64; 0 when the bytes are no Windows program.
int32_t ImageBitsOf(std::string_view head);
