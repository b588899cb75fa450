// Lines into a readings log on disk, shared by the window and the console
// program, and by any number of them writing one file at once: each line is
// appended whole, in one write, and no writer cuts or overwrites another's.
#pragma once

#include <windows.h>

#include <string_view>

#include "measure/reading_log.h"
#include "services/owned_handle.h"
#include "services/text.h"

// The log opened for appending only (each write goes to the end, whatever
// another writer did meanwhile, and the file cannot be cut), with its lead
// written: the header into a new or empty file, a line end after a line
// that an earlier fault (or another program) left unfinished. Invalid when
// it cannot be opened or the lead is refused.
OwnedHandle OpenLog(const char* path);

// Appends the line in one write. False when the file refuses it; what a
// full disk took of it stays, since another writer may have written after
// it, and the next opening of the log ends that line first. lead: instead
// of the line, what the log needs before a run's first line.
bool AppendWholeLine(HANDLE file, std::string_view line, bool lead = false);

// The local time of now, for a row.
LocalTime LocalLogTime();
