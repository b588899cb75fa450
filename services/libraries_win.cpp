#include "services/libraries.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

// Used from the main thread only: bound at start-up, released at shut-down.
HMODULE librarySlots[LibrarySlots] = {};

bool InRange(int32_t slot) {
    return slot >= 0 && slot < LibrarySlots;
}

bool HasPath(const char* name) {
    return std::strpbrk(name, "\\/:") != nullptr;
}

// The flag that keeps a load to the system folder came with the update that
// also brought AddDllDirectory (on Windows 7, KB2533623); a system without it
// fails every load that names the flag.
bool SearchFlagKnown() {
    static const bool known = [] {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        return kernel && GetProcAddress(kernel, "AddDllDirectory") != nullptr;
    }();
    return known;
}

HMODULE LoadFromSystemFolder(const char* name) {
    if (SearchFlagKnown()) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return static_cast<HMODULE>(LoadSystemLibraryByPath(name));
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
    librarySlots[slot] = HasPath(name) ? LoadLibraryA(name) : LoadFromSystemFolder(name);
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
    HMODULE module = LoadFromSystemFolder(library);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

void* LoadSystemLibraryByPath(const char* name) {
    char folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !name || !*name) return nullptr;
    std::string path(folder, length);
    path += '\\';
    path += name;
    return LoadLibraryA(path.c_str());
}
