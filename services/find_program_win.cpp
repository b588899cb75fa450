// What only a console program that shares its console needs of the launch.
#include "services/launch.h"

#include <cstring>
namespace {

bool IsFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

Text FindProgram(const Text& name) {
    char found[MAX_PATH * 4];
    const bool hasFolder = name.find_first_of("\\/:") != Text::npos;
    if (!hasFolder) {
        char extensions[512] = ".COM;.EXE;.BAT;.CMD";
        const DWORD set = GetEnvironmentVariableA("PATHEXT", extensions, sizeof extensions);
        if (set == 0 || set >= sizeof extensions) std::strcpy(extensions, ".COM;.EXE;.BAT;.CMD");
        for (char* extension = std::strtok(extensions, ";"); extension;
             extension = std::strtok(nullptr, ";")) {
            const DWORD length = SearchPathA(nullptr, name.c_str(), extension, sizeof found,
                                             found, nullptr);
            if (length > 0 && length < sizeof found && IsFile(found)) return found;
        }
        return Text();
    }
    for (const char* extension : {"", ".exe"}) {
        const Text candidate = name + extension;
        const DWORD length = GetFullPathNameA(candidate.c_str(), sizeof found, found, nullptr);
        if (length > 0 && length < sizeof found && IsFile(found)) return found;
    }
    return Text();
}

// None when the caller has none of a kind.
void InheritStandardHandles(StandardHandles& handles) {
    const DWORD kinds[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    const HANDLE self = GetCurrentProcess();
    for (int i = 0; i < 3; ++i) {
        const HANDLE own = GetStdHandle(kinds[i]);
        HANDLE copy = nullptr;
        if (own && own != INVALID_HANDLE_VALUE)
            DuplicateHandle(self, own, self, &copy, 0, TRUE, DUPLICATE_SAME_ACCESS);
        handles.Copies[i].reset(copy);
        handles.Handles[i] = copy;
    }
}
