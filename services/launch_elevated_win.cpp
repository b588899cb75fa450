// Starting a program that needs elevation, apart from the start itself: only
// brenkrun needs it here (the window's launcher hands such a program to the
// shell as it hands it a document), and an object file comes into a program
// whole.
#include "services/launch.h"

#include <shellapi.h>

#include "services/libraries.h"
#include "services/launch_errors.h"

namespace {

// The arguments after the program's name in a command line, as the runtime
// splits the name off: up to its closing quotation mark when it begins with
// one, else up to the first blank or tab.
const char* ParametersOf(const char* line) {
    if (*line == '"') {
        do
            ++line;
        while (*line && *line != '"');
        if (*line) ++line;
    }
    while (*line && *line != ' ' && *line != '\t')
        ++line;
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

using ShellExecuteFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);

} // namespace

void StartElevated(const StartRequest& request, StartedProcess& started) {
    const auto shellExecute = reinterpret_cast<ShellExecuteFunction>(
        SystemLibraryFunction("shell32.dll", "ShellExecuteExA"));
    SHELLEXECUTEINFOA shell{};
    shell.cbSize = sizeof shell;
    // No message from the shell: brenkrun reports a start that failed.
    shell.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    shell.lpFile = request.Path;
    shell.lpParameters = ParametersOf(request.CommandLine.c_str());
    shell.lpDirectory = request.Directory;
    shell.nShow = SW_SHOWNORMAL;
    started.Error = ElevationRequiredError;
    if (shellExecute && !shellExecute(&shell)) started.Error = GetLastError();
    // A start that named no process cannot be watched either.
    started.Process.reset(shell.hProcess);
    if (started.Process.valid()) started.Error = 0;
}
