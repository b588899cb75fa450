#include "services/libraries.h"

#include <windows.h>

#include <cstring>

namespace {

// Used from the main thread only: bound at start-up, released at shut-down.
HMODULE librarySlots[LibrarySlots] = {};

bool InRange(int32_t slot) {
    return slot >= 0 && slot < LibrarySlots;
}

bool HasPath(const char* name) {
    return std::strpbrk(name, "\\/:") != nullptr;
}

} // namespace

void* BindLibrary(int32_t slot, const char* name) {
    if (!InRange(slot)) return nullptr;
    if (librarySlots[slot]) {
        FreeLibrary(librarySlots[slot]);
        librarySlots[slot] = nullptr;
    }
    if (!name || !*name) return nullptr;
    // The ordinary search looks in the program's own folder first, where a
    // planted file of the same name would be taken for the system library.
    librarySlots[slot] = HasPath(name)
                             ? LoadLibraryA(name)
                             : LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return librarySlots[slot];
}

void* LookUpLibraryFunction(int32_t slot, const char* name) {
    if (!InRange(slot) || !librarySlots[slot] || !name || !*name) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(librarySlots[slot], name));
}

void ReleaseAllLibraries() {
    for (HMODULE& library : librarySlots) {
        if (library) FreeLibrary(library);
        library = nullptr;
    }
}

void* SystemLibraryFunction(const char* library, const char* name) {
    // Never released: a load beyond the first only counts up.
    HMODULE module = LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}
