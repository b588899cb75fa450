// Finding and starting the program in brenkrun's console, directory and
// standard handles; or opening a process that already runs.
#pragma once

#include <windows.h>

#include <cstdint>

#include "services/owned_handle.h"
#include "services/text.h"

// The program's full path as the system finds it: a name with a folder
// from the current directory, a bare name along the search path, ".exe"
// added when it has no extension of its own. Empty when there is none.
Text FindProgram(const Text& name);

struct Started {
    OwnedHandle Process;
    OwnedHandle Job; // with children: the job every process of the tree joins
    uint32_t Error = 0; // the system's error when nothing was started
};

// Starts path with the command line; children: inside a new job of its own,
// entered before the program's first instruction.
Started StartProgram(const Text& path, const Text& commandLine, bool children);

// A running process opened for watching, and its image's full path.
OwnedHandle OpenWatched(uint32_t id, Text* path);
