// The shell's component objects: what the thread needs before any shell call,
// and the reading of shortcut files. Windows only.
#pragma once

#include "services/text.h"

// Makes the calling thread a single-threaded apartment of the component
// services, once per thread; the shell's calls (starting a file through the
// shell, the file dialog, shortcuts) need one. The services' library is
// loaded on the first call, so start-up does without it. False when the
// library cannot be loaded.
bool PrepareShellObjects();

// What a shortcut file points at: the target's full path and the arguments it
// hands the target. False, with both texts empty, when the file cannot be
// read as a shortcut or its target is no file (a shortcut to a shell item).
bool ReadShortcut(const char* path, Text* target, Text* arguments);
