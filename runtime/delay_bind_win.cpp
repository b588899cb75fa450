// The binding of a library imported late, at its first call: brenkrun's own
// instead of the toolchain's. The toolchain's writes the bound address into
// the image's import table, which some linkers leave read-only (brenkrun
// then crashed at the graph's first call); this one makes each slot
// writable for its one write. It also takes the library from the system
// folder by its full path, never from the current folder.
#include <windows.h>

#include <delayimp.h>

#include <cstdlib>

#include "services/libraries.h"

namespace {

BYTE* Image() {
    return reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
}

template <typename Value> void Write(Value* slot, Value value) {
    DWORD previous = 0;
    const bool opened = VirtualProtect(slot, sizeof(Value), PAGE_READWRITE, &previous) != 0;
    *slot = value;
    if (opened) VirtualProtect(slot, sizeof(Value), previous, &previous);
}

} // namespace

// Called by the stub of each late import with its library's descriptor and
// the import's slot; returns the bound address. A library or a function the
// system lacks ends brenkrun, as a missing import ends any program.
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr descriptor, FARPROC* slot) {
    BYTE* image = Image();
    if (!(descriptor->grAttrs & dlattrRva)) std::abort();
    auto* module = reinterpret_cast<HMODULE*>(image + descriptor->rvaHmod);
    if (!*module) {
        auto* loaded = static_cast<HMODULE>(
            LoadSystemLibraryByPath(reinterpret_cast<const char*>(image + descriptor->rvaDLLName)));
        if (!loaded) std::abort();
        Write(module, loaded);
    }
    // The import's name (or number) stands at the same place in the names
    // table as its slot in the address table.
    const auto* slots = reinterpret_cast<FARPROC*>(image + descriptor->rvaIAT);
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(image + descriptor->rvaINT);
    const IMAGE_THUNK_DATA& entry = names[slot - slots];
    const char* name =
        IMAGE_SNAP_BY_ORDINAL(entry.u1.Ordinal)
            ? reinterpret_cast<const char*>(IMAGE_ORDINAL(entry.u1.Ordinal))
            : reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(image + entry.u1.AddressOfData)->Name;
    const FARPROC bound = GetProcAddress(*module, name);
    if (!bound) std::abort();
    Write(slot, bound);
    return bound;
}
