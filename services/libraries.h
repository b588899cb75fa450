// Libraries bound at run time, held in numbered slots 0..LibrarySlots-1.
#pragma once

#include <cstdint>

constexpr int32_t LibrarySlots = 8;

// Loads the library and keeps it in the slot, releasing whatever the slot held
// before. A bare name (no path separator) is loaded from the system directory
// only, so that a file of the same name planted beside the program is never
// taken; a name with a path is loaded as given. The library's module handle,
// or null when the slot number is out of range, the name empty or the load
// fails (the slot is then empty).
void* BindLibrary(int32_t slot, const char* name);

// The address of the named export of the library in the slot; null when the
// slot is empty or out of range, the name empty or the export missing.
void* LookUpLibraryFunction(int32_t slot, const char* name);

// Releases every library still held and empties the slots.
void ReleaseAllLibraries();

// The named function of a system library that only some actions need, so that
// start-up does not pay for loading it: the library is loaded from the system
// directory and stays loaded until the process ends. Callers keep the result
// rather than ask again. Null when the library or the function is missing.
// Any thread may call it.
void* SystemLibraryFunction(const char* library, const char* name);

// The library of that bare name in the system folder, loaded by its full
// path: how a system that cannot keep a load to the system folder by a flag
// (Windows 7 without KB2533623) still never takes a planted file. The
// library's own imports are searched the ordinary way; those of the system
// libraries Brenk loads are the system's known libraries. Null on failure.
void* LoadSystemLibraryByPath(const char* name);
