// Shortcut files for tests, made as the shell makes them. Link ole32 and uuid.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

// Writes a shortcut at path to target with arguments; true when it was saved.
inline bool MakeShortcut(const std::string& path, const std::string& target,
                         const std::string& arguments) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    WCHAR wide[MAX_PATH] = {};
    const bool saved =
        SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(arguments.c_str())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) &&
        SUCCEEDED(file->Save(wide, TRUE));
    if (file) file->Release();
    link->Release();
    return saved;
}
