// ways_robot <scenario>: the ways of starting and working brenk.exe beyond the
// buttons' clicks, seen from outside through its window: where the keyboard
// focus goes after each action, a program named on brenk's command line, and
// files dropped on its window. Exit code 0 when every check held.
#include <windows.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/brenk_driver.h"
#include "tests/programs/test_programs.h"

using namespace brenk_driver;

namespace {

std::string Token(const char* scenario) {
    return std::string("brenk-ways-") + scenario + "-" + std::to_string(GetCurrentProcessId());
}

// The first edit among the descendants of parent.
HWND EditIn(HWND parent) {
    HWND found = nullptr;
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            if (ClassOf(window) != "Edit") return TRUE;
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Chooses file in the requester that ButtonOpen shows.
bool ChooseInRequester(const Brenk& brenk, const std::string& file) {
    if (!brenk.Click(ButtonOpen)) return false;
    HWND requester = nullptr;
    PollUntil(
        [&] {
            return (requester = FindTopWindow(brenk.info.dwProcessId, "#32770",
                                              "Choose Program...")) != nullptr;
        },
        StepLimitMs);
    if (!Check(requester != nullptr, "the file requester appears")) return false;
    HWND box = nullptr;
    PollUntil(
        [&] {
            HWND combo = GetDlgItem(requester, cmb13);
            box = combo ? EditIn(combo) : GetDlgItem(requester, edt1);
            return box != nullptr;
        },
        StepLimitMs);
    SetWindowTextTo(box, file);
    PostMessageA(requester, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(requester, IDOK)));
    return Check(PollUntil([&] { return !IsWindow(requester); }, StepLimitMs),
                 "the file requester closes");
}

bool DismissErrorBox(const Brenk& brenk, const char* text) {
    HWND box = nullptr;
    PollUntil(
        [&] {
            return (box = FindTopWindow(brenk.info.dwProcessId, nullptr, "Guru-Attack!")) !=
                   nullptr;
        },
        StepLimitMs);
    if (!Check(box != nullptr, "an error box appears")) return false;
    HWND line = FindWindowExA(box, nullptr, "Static", nullptr);
    while (line && TextOf(line).empty())
        line = FindWindowExA(box, line, "Static", nullptr);
    CheckText("error box text", TextOf(line), text);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    return Check(PollUntil([&] { return !IsWindow(box); }, StepLimitMs), "the error box closes");
}

// Opened, started, quit, ended by itself, a failed start: each time the focus
// is on the control the next step needs, never on one just disabled.
int Focus() {
    const std::string folder = EnglishRunFolder("ways_focus");
    Brenk brenk;
    if (!brenk.Start(folder) || !ChooseInRequester(brenk, TestProgramPath("burn_user.exe")) ||
        !brenk.WaitStatus("Program opened"))
        return 1;
    brenk.CheckFocus(ButtonStart, "after Open");
    SetWindowTextTo(brenk.Control(FieldCommandLine), "60000 " + Token("focus"));
    brenk.Click(ButtonStart);
    brenk.WaitStatus("Program is running...");
    brenk.CheckFocus(ButtonQuit, "after Start");
    brenk.Click(ButtonQuit);
    brenk.WaitStatus("Program terminated");
    brenk.CheckFocus(ButtonStart, "after Quit");

    SetWindowTextTo(brenk.Control(FieldCommandLine), "500 " + Token("focus-end"));
    brenk.Click(ButtonStart);
    brenk.WaitStatus("Program is running...");
    brenk.WaitStatus("Program terminated");
    brenk.CheckFocus(ButtonStart, "after the program's own end");

    const std::string broken = folder + "\\broken.exe";
    Handle file(CreateFileA(broken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.value, "no program\r\n", 12, &written, nullptr);
    file.reset();
    if (!ChooseInRequester(brenk, broken) || !brenk.WaitStatus("Program opened")) return 1;
    brenk.Click(ButtonStart);
    if (!DismissErrorBox(brenk, "Unable to start Program !")) return 1;
    brenk.WaitStatus("Program opened");
    brenk.CheckFocus(ButtonStart, "after a failed start");
    brenk.Close();
    return failures ? 1 : 0;
}

// brenk.exe PROGRAM ARGUMENTS: opened and started at once, without any input.
int CommandLineStart() {
    const std::string folder = EnglishRunFolder("ways_command_line_start");
    const std::string arguments = "3000 " + Token("start");
    Brenk brenk;
    if (!brenk.Start(folder, "\"" + TestProgramPath("burn_user.exe") + "\" " + arguments) ||
        !brenk.WaitStatus("Program is running..."))
        return 1;
    CheckText("the program's name", brenk.Text(FieldProgramName), "burn_user.exe");
    CheckText("the arguments in the command-line field", brenk.Text(FieldCommandLine), arguments);
    CheckText("the default interval", brenk.Text(SpinInterval), "1000");
    CheckText("only Quit while monitoring (enabled 8..13)", brenk.EnabledRow(), "000001");
    Check(brenk.Child("burn_user.exe") != 0, "the program runs as brenk's child");
    std::string values;
    PollUntil([&] { return (values = brenk.Text(ColumnValues)).size() > 20; }, StepLimitMs);
    Check(std::count(values.begin(), values.end(), '\n') == 7 && values[0] >= '0' &&
              values[0] <= '9',
          "readings appear without input", values);
    brenk.CheckFocus(ButtonQuit, "after a start from the command line");
    brenk.WaitStatus("Program terminated");
    brenk.CheckFocus(ButtonStart, "after the program's own end");
    brenk.Close();
    return failures ? 1 : 0;
}

// A program in a folder with blanks and arguments with blanks reach the
// program as they were given to brenk.
int CommandLineQuoting() {
    const std::string folder = EnglishRunFolder("ways_command_line_quoting");
    const std::string blanks = folder + "\\dir with blanks";
    CreateDirectoryA(blanks.c_str(), nullptr);
    const std::string program = blanks + "\\write_args.exe";
    const std::string written = blanks + "\\a b";
    DeleteFileA(written.c_str());
    if (!Check(CopyFileA(TestProgramPath("write_args.exe").c_str(), program.c_str(), FALSE) != 0,
               "write_args.exe copied into a folder with blanks"))
        return 1;
    Brenk brenk;
    if (!brenk.Start(folder, "\"" + program + "\" \"a b\"   c")) return 1;
    brenk.WaitStatus("Program terminated");
    CheckText("the command-line field", brenk.Text(FieldCommandLine), "\"a b\" c");
    std::string content;
    PollUntil(
        [&] {
            Handle file(CreateFileA(written.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
            char buffer[2048] = {};
            DWORD got = 0;
            if (file.valid()) ReadFile(file.value, buffer, sizeof buffer - 1, &got, nullptr);
            content = buffer;
            return !content.empty();
        },
        StepLimitMs);
    // Its folder, its own path, then the two arguments as it split them.
    const size_t own = content.find('\n');
    const std::string arguments = own == std::string::npos ? "" : content.substr(own + 1);
    const size_t path = arguments.find('\n');
    CheckText("the program runs in its folder", content.substr(0, own), blanks);
    CheckText("the program's arguments", path == std::string::npos ? "" : arguments.substr(path + 1),
              "a b\nc\n");
    brenk.Close();
    return failures ? 1 : 0;
}

// A missing program on the command line: what choosing a missing file gives.
int CommandLineMissing() {
    const std::string folder = EnglishRunFolder("ways_command_line_missing");
    Brenk brenk;
    if (!brenk.Start(folder, "missing.exe 1 2")) return 1;
    brenk.WaitStatus("Program not opened !");
    CheckText("only Open (enabled 8..13)", brenk.EnabledRow(), "000100");
    CheckText("no program name", brenk.Text(FieldProgramName), "");
    CheckText("no command line", brenk.Text(FieldCommandLine), "");
    Check(brenk.Child(nullptr) == 0, "nothing started");
    Check(FindTopWindow(brenk.info.dwProcessId, nullptr, "Guru-Attack!") == nullptr,
          "no error box");
    brenk.Close();
    return failures ? 1 : 0;
}

// Drops files on brenk's window as the shell does: a WM_DROPFILES whose handle
// is a DROPFILES block in brenk's own memory.
bool DropFiles(const Brenk& brenk, const std::vector<std::string>& files) {
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    std::memcpy(block.data(), &header, sizeof header);
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

int DroppedFile() {
    const std::string folder = EnglishRunFolder("ways_dropped_file");
    Brenk brenk;
    if (!brenk.Start(folder)) return 1;
    // Of several files the first is opened, and not started.
    if (!DropFiles(brenk, {TestProgramPath("burn_user.exe"), TestProgramPath("exit_code.exe")}))
        return 1;
    brenk.WaitStatus("Program opened");
    CheckText("the first file is opened", brenk.Text(FieldProgramName), "burn_user.exe");
    CheckText("ready to start (enabled 8..13)", brenk.EnabledRow(), "011110");
    Check(brenk.Child(nullptr) == 0, "nothing started");
    brenk.CheckFocus(ButtonStart, "after a drop");

    // While a program is watched, a drop changes nothing.
    SetWindowTextTo(brenk.Control(FieldCommandLine), "60000 " + Token("drop"));
    brenk.Click(ButtonStart);
    brenk.WaitStatus("Program is running...");
    DropFiles(brenk, {TestProgramPath("exit_code.exe")});
    Sleep(500); // nothing to wait for: the drop must not show
    CheckText("the watched program stays", brenk.Text(FieldProgramName), "burn_user.exe");
    CheckText("still monitoring", brenk.Status(), "Program is running...");
    brenk.Click(ButtonQuit);
    brenk.WaitStatus("Program terminated");
    brenk.Close();
    return failures ? 1 : 0;
}

struct Scenario {
    const char* name;
    int (*run)();
};

const Scenario Scenarios[] = {
    {"focus", Focus},
    {"command_line_start", CommandLineStart},
    {"command_line_quoting", CommandLineQuoting},
    {"command_line_missing", CommandLineMissing},
    {"dropped_file", DroppedFile},
};

} // namespace

int main(int argc, char** argv) {
    for (const Scenario& scenario : Scenarios) {
        if (argc == 2 && std::strcmp(argv[1], scenario.name) == 0) {
            const int result = scenario.run();
            std::printf("%s: %s\n", scenario.name, result == 0 ? "passed" : "FAILED");
            return result;
        }
    }
    std::printf("usage: ways_robot <scenario>\n");
    return 2;
}
