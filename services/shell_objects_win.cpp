#include "services/shell_objects.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shobjidl.h>

#include "services/com_win.h"

namespace {

// Spelled out here, so that no library of identifiers is linked for three.
constexpr CLSID ShellLinkClass = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID ShellLinkInterface = {
    0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID PersistFileInterface = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

thread_local bool apartmentTried = false;

// The shortcut's own texts are at most this long (its target a path).
constexpr int ShortcutTextRoom = 1024;

} // namespace

bool PrepareShellObjects() {
    const auto initialise = ComLibrary().initialize;
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
    const auto create = ComLibrary().create;
    if (!PrepareShellObjects() || !create) return false;
    ComRef<IShellLinkA> link;
    ComRef<IPersistFile> file;
    if (FAILED(create(ShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, ShellLinkInterface,
                      link.slot())) ||
        FAILED(link->QueryInterface(PersistFileInterface, file.slot())))
        return false;
    // The file is loaded by its wide name; the tool's texts are ANSI.
    WCHAR wide[MAX_PATH] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, path ? path : "", -1, wide, MAX_PATH) ||
        FAILED(file->Load(wide, STGM_READ)))
        return false;
    char found[ShortcutTextRoom] = {};
    WIN32_FIND_DATAA data{};
    if (link->GetPath(found, MAX_PATH, &data, 0) != S_OK || !found[0]) return false;
    char given[ShortcutTextRoom] = {};
    if (FAILED(link->GetArguments(given, sizeof given))) given[0] = '\0';
    AssignText(*target, found);
    AssignText(*arguments, given);
    return true;
}
