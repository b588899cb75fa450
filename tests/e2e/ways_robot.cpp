// ways_robot <scenario>: brenk.exe handed its program from outside, seen
// through its window: files and shortcuts dropped on it, a program on its
// command line, where the keyboard focus goes after each action, and error
// boxes in front of another program. Exit code 0 when every check held.
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

// Brings a window to the foreground, as far as the window system lets it.
bool ToFront(HWND window) {
    return PollUntil([&] { return SetForegroundWindow(window) && GetForegroundWindow() == window; },
                     StepLimitMs);
}

// The file the write_args test program wrote, once it is there.
std::string WrittenArguments(const std::string& path) {
    std::string content;
    PollUntil([&] { return !(content = ReadWholeFile(path)).empty(); }, StepLimitMs);
    return content;
}

// A shortcut to target with arguments, saved as the shell saves one.
bool MakeShortcut(const std::string& path, const std::string& target, const char* arguments) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    const std::wstring wide(path.begin(), path.end());
    const bool saved =
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(arguments)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Save(wide.c_str(), TRUE));
    if (file) file->Release();
    if (link) link->Release();
    return saved;
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
    // The keys work from the first moment: Space presses the focused Open.
    brenk.CheckFocus(ButtonOpen, "at start");
    ToFront(brenk.window);
    keybd_event(VK_SPACE, 0, 0, 0);
    keybd_event(VK_SPACE, 0, KEYEVENTF_KEYUP, 0);
    if (!Check(
            PollUntil([&] { return brenk.FindWindowOf(RequesterTitle) != nullptr; }, StepLimitMs),
            "Space at start opens the file requester"))
        return 1;
    PostMessageA(brenk.FindWindowOf(RequesterTitle), WM_COMMAND, IDCANCEL, 0);
    brenk.WaitStatus(StatusNotOpened);
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
    // The drop is taken before the robot's next message, which Settle waits for.
    DropFiles(brenk, {TestProgramPath("exit_code.exe")});
    brenk.Settle();
    CheckText("the watched program stays", brenk.Text(FieldProgramName), "burn_user.exe");
    CheckText("still monitoring", brenk.Status(), StatusRunning);
    Check(brenk.ChildProcess("exit_code.exe") == 0, "the dropped file is not started");
    brenk.Click(ButtonQuit);
    brenk.WaitStatus(StatusTerminated);
    brenk.CheckFocus(ButtonStart, "after Quit");

    Start(brenk, "500 " + UniqueToken("own-end"));
    brenk.WaitStatus(StatusTerminated);
    brenk.CheckFocus(ButtonStart, "after the program's own end");

    // A failed start after a drop, while the file manager holds the
    // foreground: the error box belongs to brenk's window and comes to the
    // front; the focus goes back from it to Start.
    const std::string broken = folder + "\\broken.exe";
    HWND manager = CreateWindowExA(0, "STATIC", "file manager", WS_POPUP | WS_VISIBLE, 0, 0, 99, 99,
                                   nullptr, nullptr, nullptr, nullptr);
    Check(ToFront(manager), "the robot's window holds the foreground");
    if (!WriteWholeFile(broken, "no program\r\n") || !DropFiles(brenk, {broken}) ||
        !brenk.WaitStatus(StatusOpened) || !brenk.Click(ButtonStart))
        return 1;
    HWND box = nullptr;
    PollUntil(
        [&] { return (box = brenk.FindWindowOf(ErrorBoxTitle)) && GetForegroundWindow() == box; },
        StepLimitMs);
    Check(box && GetWindow(box, GW_OWNER) == brenk.window && GetForegroundWindow() == box,
          "the error box belongs to brenk and is in front");
    if (!brenk.AnswerErrorBox("Unable to start Program !")) return 1;
    brenk.WaitStatus(StatusOpened);
    brenk.CheckFocus(ButtonStart, "after a failed start");
    brenk.Close();
    DestroyWindow(manager);
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
        // Its folder, its own path, then its arguments as it split them.
        CheckText("the program's folder and arguments", WrittenArguments(written),
                  blanks + "\n" + program + "\na b\nc\n");
        brenk.Close();
    }
    {
        // Longer than the field holds: opened, told, and nothing started.
        const std::string given = "a " + std::string(127, 'x');
        Brenk brenk;
        if (!brenk.Start(folder, "\"" + TestProgramPath("sleep_forever.exe") + "\" " + given) ||
            !brenk.WaitReady() ||
            !brenk.AnswerErrorBox("Command-Line longer than 128 characters !"))
            return 1;
        brenk.Settle();
        CheckText("opened", brenk.Status(), StatusOpened);
        CheckText("the program's name", brenk.Text(FieldProgramName), "sleep_forever.exe");
        CheckText("the field stays empty", brenk.Text(FieldCommandLine), "");
        Check(brenk.ChildProcess(nullptr) == 0, "nothing started");
        brenk.Close();
    }
    {
        // A bare name is found along PATH, as a console finds it.
        char path[8192] = {};
        GetEnvironmentVariableA("PATH", path, sizeof path);
        const std::string programs = TestProgramPath("exit_code.exe");
        const std::string along = programs.substr(0, programs.rfind('\\')) + ";" + path;
        SetEnvironmentVariableA("PATH", along.c_str());
        Brenk brenk;
        const bool started = brenk.Start(folder, "exit_code.exe 0") && brenk.WaitReady();
        SetEnvironmentVariableA("PATH", path);
        if (!started) return 1;
        brenk.WaitStatus(StatusTerminated);
        CheckText("a bare name found along PATH", brenk.Text(FieldProgramName), "exit_code.exe");
        brenk.Close();
    }
    {
        // A batch file's arguments stay data, or nothing starts (a percent sign).
        const std::string batch = folder + "\\t.cmd", echoed = folder + "\\echoed.txt";
        WriteWholeFile(
            batch, "@echo [%1]>echoed.txt\r\n@echo [%2]>>echoed.txt\r\n@echo [%3]>>echoed.txt\r\n");
        Brenk brenk;
        if (!brenk.Start(folder, "\"" + batch + "\" \"a&echo.INJECTED\" ^ \"a b\"") ||
            !brenk.WaitReady() || !brenk.WaitStatus(StatusTerminated))
            return 1;
        CheckText("the batch file echoes its arguments as given", ReadWholeFile(echoed),
                  "[\"a&echo.INJECTED\"]\r\n[\"^\"]\r\n[\"a b\"]\r\n");
        DeleteFileA(echoed.c_str());
        SetWindowTextTo(brenk.Control(FieldCommandLine), "a&echo.INJECTED %PATH%");
        Check(brenk.Click(ButtonStart) && brenk.AnswerErrorBox("Unable to start Program !") &&
                  brenk.WaitStatus(StatusOpened) && ReadWholeFile(echoed).empty(),
              "a percent sign for a batch file: nothing started");
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

// A shortcut stands for its target wherever a file is taken: the target is
// opened from its own folder, with the shortcut's arguments in the field,
// and started as a watched program. Names and arguments of any characters
// arrive exactly, handed on the command line, dropped or through a shortcut.
int Shortcuts() {
    const std::string folder = RunFolder("ways_shortcuts");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni());
    const std::string programs = folder + "\\Bücher Ω\\中文";
    CreateDirectoryA((folder + "\\Bücher Ω").c_str(), nullptr);
    CreateDirectoryA(programs.c_str(), nullptr);
    const std::string program = programs + "\\write_args.exe";
    CopyFileA(TestProgramPath("write_args.exe").c_str(), program.c_str(), FALSE);
    CreateDirectoryA((folder + "\\links").c_str(), nullptr);
    const std::string link = folder + "\\links\\args.lnk";
    const std::string written = programs + "\\written.txt";
    const std::string given = "written.txt \"a b\" Ωmega 中 € „x“";
    if (!Check(MakeShortcut(link, program, given.c_str()), "a shortcut is made")) return 1;
    const std::string expected =
        programs + "\n" + program + "\nwritten.txt\na b\nΩmega\n中\n€\n„x“\n";
    const auto opened = [](const Brenk& brenk, const std::string& how,
                           const std::string& arguments) {
        CheckText(how + ": the target's name", brenk.Text(FieldProgramName), "write_args.exe");
        CheckText(how + ": its arguments", brenk.Text(FieldCommandLine), arguments);
    };
    for (const std::string& handed : {"\"" + program + "\" " + given, "\"" + link + "\""}) {
        DeleteFileA(written.c_str());
        Brenk brenk;
        if (!brenk.Start(folder, handed + " c") || !brenk.WaitReady()) return 1;
        brenk.WaitStatus(StatusTerminated);
        opened(brenk, "handed " + handed, given + " c");
        CheckText("handed: started in its folder", WrittenArguments(written), expected + "c\n");
        brenk.Close();
    }
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady()) return 1;
    for (const std::string& dropped : {program, link}) {
        DeleteFileA(written.c_str());
        if (!DropFiles(brenk, {dropped}) || !brenk.WaitStatus(StatusOpened)) return 1;
        if (dropped == program) SetWindowTextTo(brenk.Control(FieldCommandLine), given);
        opened(brenk, "dropped " + dropped, given);
        // Watched, it ends as "Program terminated"; unwatched it would stay at
        // "Program started".
        brenk.Click(ButtonStart);
        brenk.WaitStatus(StatusTerminated);
        CheckText("dropped: started in its folder", WrittenArguments(written), expected);
    }
    if (!brenk.UseRequester(link.c_str()) || !brenk.WaitStatus(StatusOpened)) return 1;
    opened(brenk, "chosen", given);
    brenk.Close();
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string scenario = argc == 2 ? argv[1] : "";
    const int result = scenario == "drops_and_focus" ? DropsAndFocus()
                       : scenario == "command_line"  ? CommandLine()
                       : scenario == "shortcuts"     ? Shortcuts()
                                                     : -1;
    if (result < 0) {
        std::printf("usage: ways_robot drops_and_focus | command_line | shortcuts\n");
        return 2;
    }
    std::printf("%s: %s\n", scenario.c_str(), result == 0 ? "passed" : "FAILED");
    return result;
}
