// Lines into a readings log on disk, shared by the window and the console
// program: whole lines only, so a fault never leaves half a row.
#pragma once

#include <windows.h>

#include "measure/reading_log.h"
#include "services/text.h"

// Appends the line whole or not at all: what a failed write left of it (a
// full disk takes what fits) is cut off again, so the file always ends with
// a whole line.
bool AppendWholeLine(HANDLE file, const Text& line);

// What a run writes before its first line: the header into a new or empty
// file, a line end after a line that an earlier fault (or another program)
// left unfinished, else nothing.
Text LogLeadOf(HANDLE file);

// The local time of now, for a row.
LogTime LocalLogTime();
