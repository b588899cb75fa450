#include "services/shell_objects.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shobjidl.h>

#include "services/libraries.h"

namespace {

using InitialiseFunction = HRESULT(WINAPI*)(void*, DWORD);
using CreateFunction = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);

// Spelled out here, so that no library of identifiers is linked for three.
constexpr CLSID ShellLinkClass = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID ShellLinkInterface = {
    0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID PersistFileInterface = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

thread_local bool apartmentTried = false;

// Releases the object it holds when it goes.
template <typename Interface> struct ObjectRef {
    Interface* object = nullptr;
    ObjectRef() = default;
    ObjectRef(const ObjectRef&) = delete;
    ObjectRef& operator=(const ObjectRef&) = delete;
    ~ObjectRef() {
        if (object) object->Release();
    }
    void** slot() { return reinterpret_cast<void**>(&object); }
};

// The shortcut's own texts are at most this long (its target a path).
constexpr int ShortcutTextRoom = 1024;

} // namespace

bool PrepareShellObjects() {
    static const auto initialise =
        reinterpret_cast<InitialiseFunction>(SystemLibraryFunction("ole32.dll", "CoInitializeEx"));
    if (initialise && !apartmentTried) {
        apartmentTried = true;
        // A thread already in another apartment keeps it; the shell's calls
        // work there too.
        initialise(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }
    return initialise != nullptr;
}

bool ReadShortcut(const char* path, Text* target, Text* arguments) {
    FreeText(*target);
    FreeText(*arguments);
    static const auto create =
        reinterpret_cast<CreateFunction>(SystemLibraryFunction("ole32.dll", "CoCreateInstance"));
    if (!PrepareShellObjects() || !create) return false;
    ObjectRef<IShellLinkA> link;
    ObjectRef<IPersistFile> file;
    if (FAILED(create(ShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, ShellLinkInterface,
                      link.slot())) ||
        FAILED(link.object->QueryInterface(PersistFileInterface, file.slot())))
        return false;
    // The file is loaded by its wide name; the tool's texts are ANSI.
    WCHAR wide[MAX_PATH] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, path ? path : "", -1, wide, MAX_PATH) ||
        FAILED(file.object->Load(wide, STGM_READ)))
        return false;
    char found[ShortcutTextRoom] = {};
    WIN32_FIND_DATAA data{};
    if (link.object->GetPath(found, MAX_PATH, &data, 0) != S_OK || !found[0]) return false;
    char given[ShortcutTextRoom] = {};
    if (FAILED(link.object->GetArguments(given, sizeof given))) given[0] = '\0';
    AssignText(*target, found);
    AssignText(*arguments, given);
    return true;
}
