// Programs handed to the tool from outside: named on its command line (which
// is also how a file manager hands over a file dropped on brenk.exe), or
// dropped on its window.
#include <windows.h>

#include "monitor/monitor_win.h"
#include "monitor/tool_arguments.h"
#include "toolkit/controls.h"
#include "toolkit/window.h"

namespace {

// The requester hands back full paths; a name given relative to the current
// directory becomes one too, so that its folder is known for the launch and
// the next requester.
// A name with a folder from the current directory; a bare name as the
// console finds it: the current folder, then PATH (".exe" added when it has
// no extension, as the requester shows programs only).
Text FullPathOf(const Text& path) {
    if (path.empty()) return path;
    if (path.find_first_of("\\/:") == Text::npos) {
        char found[MAX_PATH * 4];
        const DWORD length = SearchPathA(nullptr, path.c_str(), ".exe", sizeof found, found, nullptr);
        if (length > 0 && length < sizeof found) return Text(found, length);
    }
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    Text full(needed, '\0');
    const DWORD length = GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    return full;
}

} // namespace

void OpenProgramFromCommandLine(const char* commandLine) {
    const ToolArguments given = ReadToolArguments(TextView(commandLine));
    if (!given.programGiven) return;
    Text arguments;
    if (!OpenProgramFile(FullPathOf(given.program).c_str(), &arguments)) return;
    // A shortcut's own arguments come first, as if it were written out in
    // its place.
    if (!arguments.empty() && !given.arguments.empty()) AppendText(arguments, " ");
    AppendText(arguments, given.arguments);
    if (HandCommandLine(arguments)) StartObservedProgram();
}

void OpenDroppedProgram() {
    // Choosing is possible exactly while ButtonOpen is; a held program stays.
    if (!IsWindowEnabled(ControlNativeHandle(ButtonOpen))) return;
    Text arguments;
    if (OpenProgramFile(FullPathOf(DroppedFileName()).c_str(), &arguments))
        HandCommandLine(arguments);
}
