// ways_robot <scenario>: brenk.exe handed its program from outside, seen
// through its window: files dropped on it, a program on its command line, and
// where the keyboard focus goes after each action. Exit code 0 when every
// check held.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/brenk_window.h"

namespace {

// Drops files on brenk's window as the shell does: a WM_DROPFILES whose handle
// is a DROPFILES block in brenk's own memory.
bool DropFiles(const Brenk& brenk, const std::vector<std::string>& files) {
    DROPFILES header{};
    header.pFiles = sizeof header;
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    for (const std::string& file : files)
        block += file + '\0';
    block += '\0';
    void* remote = VirtualAllocEx(brenk.info.hProcess, nullptr, block.size(),
                                  MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    return Check(remote &&
                     WriteProcessMemory(brenk.info.hProcess, remote, block.data(), block.size(),
                                        nullptr) &&
                     PostMessageA(brenk.window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0),
                 "files dropped on the window");
}

void Start(const Brenk& brenk, const std::string& commandLine) {
    SetWindowTextTo(brenk.Control(FieldCommandLine), commandLine);
    brenk.Click(ButtonStart);
    brenk.WaitStatus(StatusRunning);
}

// Dropped files open the first as if chosen, not started, and are ignored
// while a program is watched. After each action the focus is on the control
// the next step needs, never on one just disabled.
int DropsAndFocus() {
    const std::string folder = RunFolder("ways_drops_and_focus");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni());
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady()) return 1;
    // What makes the shell offer the window files at all.
    Check(GetWindowLongA(brenk.window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES,
          "the window accepts dropped files");
    if (!DropFiles(brenk, {TestProgramPath("burn_user.exe"), TestProgramPath("exit_code.exe")}) ||
        !brenk.WaitStatus(StatusOpened))
        return 1;
    CheckText("the first file is opened", brenk.Text(FieldProgramName), "burn_user.exe");
    CheckText("ready to start (enabled 8..13)", brenk.EnabledRow(), "011110");
    Check(brenk.ChildProcess(nullptr) == 0, "nothing started");
    brenk.CheckFocus(ButtonStart, "after Open");

    Start(brenk, "60000 " + UniqueToken("drop"));
    brenk.CheckFocus(ButtonQuit, "after Start");
    DropFiles(brenk, {TestProgramPath("exit_code.exe")});
    Sleep(500); // nothing to wait for: the drop must not show
    CheckText("the watched program stays", brenk.Text(FieldProgramName), "burn_user.exe");
    CheckText("still monitoring", brenk.Status(), StatusRunning);
    brenk.Click(ButtonQuit);
    brenk.WaitStatus(StatusTerminated);
    brenk.CheckFocus(ButtonStart, "after Quit");

    Start(brenk, "500 " + UniqueToken("own-end"));
    brenk.WaitStatus(StatusTerminated);
    brenk.CheckFocus(ButtonStart, "after the program's own end");

    // A failed start: the focus goes back from the error box to Start.
    const std::string broken = folder + "\\broken.exe";
    if (!WriteWholeFile(broken, "no program\r\n") || !DropFiles(brenk, {broken}) ||
        !brenk.WaitStatus(StatusOpened) || !brenk.Click(ButtonStart) ||
        !brenk.AnswerErrorBox("Unable to start Program !"))
        return 1;
    brenk.WaitStatus(StatusOpened);
    brenk.CheckFocus(ButtonStart, "after a failed start");
    brenk.Close();
    return failures ? 1 : 0;
}

// brenk.exe PROGRAM ARGUMENTS: opened and started at once without any input;
// arguments reach the program as they were given to brenk; a missing PROGRAM
// gives what choosing a missing file gives.
int CommandLine() {
    const std::string folder = RunFolder("ways_command_line");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni());
    const std::string arguments = "3000 " + UniqueToken("start");
    {
        Brenk brenk;
        if (!brenk.Start(folder, "\"" + TestProgramPath("burn_user.exe") + "\" " + arguments) ||
            !brenk.WaitReady() || !brenk.WaitStatus(StatusRunning))
            return 1;
        CheckText("the program's name", brenk.Text(FieldProgramName), "burn_user.exe");
        CheckText("the command-line field", brenk.Text(FieldCommandLine), arguments);
        CheckText("the default interval", brenk.Text(SpinInterval), "1000");
        CheckText("only Quit while monitoring (enabled 8..13)", brenk.EnabledRow(), "000001");
        std::string values;
        PollUntil([&] { return (values = brenk.Text(ColumnValues)).size() > 20; }, StepLimitMs);
        Check(std::count(values.begin(), values.end(), '\n') == 7, "readings appear", values);
        brenk.CheckFocus(ButtonQuit, "after a start from the command line");
        brenk.WaitStatus(StatusTerminated);
        brenk.Close();
    }
    {
        const std::string blanks = folder + "\\dir with blanks";
        CreateDirectoryA(blanks.c_str(), nullptr);
        const std::string program = blanks + "\\write_args.exe";
        const std::string written = blanks + "\\a b";
        DeleteFileA(written.c_str());
        CopyFileA(TestProgramPath("write_args.exe").c_str(), program.c_str(), FALSE);
        Brenk brenk;
        if (!brenk.Start(folder, "\"" + program + "\" \"a b\"   c") || !brenk.WaitReady())
            return 1;
        brenk.WaitStatus(StatusTerminated);
        CheckText("the command-line field", brenk.Text(FieldCommandLine), "\"a b\" c");
        char content[2048] = {};
        PollUntil(
            [&] {
                Handle file(CreateFileA(written.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
                DWORD got = 0;
                return file.valid() && ReadFile(file.value, content, sizeof content - 1, &got,
                                                nullptr) && got > 0;
            },
            StepLimitMs);
        // Its folder, its own path, then its arguments as it split them.
        CheckText("the program's folder and arguments", content,
                  blanks + "\n" + program + "\na b\nc\n");
        brenk.Close();
    }
    {
        // Longer than the field may hold: its last 128 characters, as typed.
        const std::string given = "a " + std::string(140, 'x');
        Brenk brenk;
        if (!brenk.Start(folder, "\"" + TestProgramPath("sleep_forever.exe") + "\" " + given) ||
            !brenk.WaitReady())
            return 1;
        brenk.WaitStatus(StatusRunning);
        CheckText("the last 128 characters", brenk.Text(FieldCommandLine), given.substr(14));
        brenk.Click(ButtonQuit);
        brenk.WaitStatus(StatusTerminated);
        brenk.Close();
    }
    Brenk brenk;
    if (!brenk.Start(folder, "missing.exe 1 2") || !brenk.WaitReady()) return 1;
    brenk.WaitStatus(StatusNotOpened);
    CheckText("only Open (enabled 8..13)", brenk.EnabledRow(), "000100");
    CheckText("no command line", brenk.Text(FieldCommandLine), "");
    Check(brenk.ChildProcess(nullptr) == 0, "nothing started");
    Check(brenk.FindWindowOf(ErrorBoxTitle) == nullptr, "no error box");
    brenk.Close();
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string scenario = argc == 2 ? argv[1] : "";
    const int result = scenario == "drops_and_focus" ? DropsAndFocus()
                       : scenario == "command_line"  ? CommandLine()
                                                     : -1;
    if (result < 0) {
        std::printf("usage: ways_robot drops_and_focus | command_line\n");
        return 2;
    }
    std::printf("%s: %s\n", scenario.c_str(), result == 0 ? "passed" : "FAILED");
    return result;
}
