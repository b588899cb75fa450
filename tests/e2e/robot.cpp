// e2e_robot <scenario>: starts the real brenk.exe in a folder of its own and
// drives it only from outside, through its window: controls read by their
// numbers, the status bar's text, button clicks, the real file requester, the
// error box and the close request. Readings are checked against what Linux
// itself reports for the same process (Wine runs every Windows process as a
// Linux process, reachable through drive Z:).
//
// Prints one line per check; exit code 0 when every check held. The scenario
// "dump" only lists the controls of the window and of the file requester, to
// help when the window system changes under the robot.
#include <cctype>

#include "tests/e2e/brenk_window.h"

namespace {

// ---- The scenarios.

// Checks the system line's form: "CPU: ~ <n> MHz,   RAM: <m> MB", n a
// multiple of ten, m above zero.
void CheckSystemLine(const std::string& line) {
    unsigned mhz = 0;
    unsigned mb = 0;
    char tail[8] = {};
    const bool parsed =
        std::sscanf(line.c_str(), "CPU: ~ %u MHz,   RAM: %u %3s", &mhz, &mb, tail) == 3 &&
        std::strcmp(tail, "MB") == 0;
    const std::string rebuilt =
        "CPU: ~ " + std::to_string(mhz) + " MHz,   RAM: " + std::to_string(mb) + " MB";
    Check(parsed && line == rebuilt && mhz % 10 == 0 && mb > 0, "system line form", Quoted(line));
}

int GermanStart() {
    const std::string folder = RunFolder("german_start");
    Brenk brenk;
    if (!brenk.Start(folder)) return 1;
    if (!brenk.AnswerErrorBox("<Brenk.ini> nicht gefunden !") || !brenk.WaitReady()) return 1;
    Check(brenk.FindWindowOf(ErrorBoxTitle) == nullptr, "no second error box");

    CheckText("LabelProgram", brenk.Text(LabelProgram),
              "\xDC"
              "berwachtes Programm");
    CheckText("LabelCommandLine", brenk.Text(LabelCommandLine), "Kommandozeile (Optional)");
    CheckText("LabelInterval", brenk.Text(LabelInterval),
              "\xDC"
              "berwachungs-Intervall");
    CheckText("LabelDefaultInterval", brenk.Text(LabelDefaultInterval), "Standard : 1000 ms");
    CheckText("ButtonOpen", brenk.Text(ButtonOpen),
              "Programm \xF6"
              "ffnen");
    CheckText("ButtonStart", brenk.Text(ButtonStart), "Programm starten");
    CheckText("ButtonQuit", brenk.Text(ButtonQuit), "Programm beenden");
    CheckText("SpinInterval", brenk.Text(SpinInterval), "1000");
    CheckText("ColumnCaptions", brenk.Text(ColumnCaptions),
              "CPU Minimum\nCPU Maximum\n\nRAM Minimum\nRAM Maximum\n\nCPU Aktuell\nRAM Aktuell");
    CheckText("ColumnColons", brenk.Text(ColumnColons), ":\n:\n\n:\n:\n\n:\n:");
    CheckText("ColumnUnits", brenk.Text(ColumnUnits), "%\n%\n\nBytes\nBytes\n\n%\nBytes");
    CheckText("ColumnValues", brenk.Text(ColumnValues), "");
    CheckText("status at start", brenk.Status(), Credit);
    brenk.CheckEnabled("only ButtonOpen at start", "000100");
    CheckSystemLine(brenk.Text(TextSystemInfo));

    RECT client{};
    GetClientRect(brenk.window, &client);
    // The German captions are wider than the English ones the layout was
    // made for: the window may have grown to give them their room (2 px in
    // Wine 8's font, 18 px in Wine 10's), never by more than a fifth.
    Check(client.right >= 334 && client.right <= 334 * 6 / 5 && client.bottom == 285,
          "inner size 334 x 285, wider where the German texts need it",
          std::to_string(client.right) + " x " + std::to_string(client.bottom));

    // The states in German: a cancelled choice, a program chosen, started
    // and quit.
    const char* const title = "Programm ausw\xE4hlen...";
    if (!brenk.UseRequester(nullptr, title) ||
        !brenk.WaitStatus("Programm nicht ge\xF6"
                          "ffnet !") ||
        !brenk.UseRequester(TestProgramPath("sleep_forever.exe").c_str(), title) ||
        !brenk.WaitStatus("Programm ge\xF6"
                          "ffnet") ||
        !brenk.Click(ButtonStart) ||
        !brenk.WaitStatus("Programm l\xE4"
                          "uft..."))
        return 1;
    brenk.WaitChild("sleep_forever.exe");
    brenk.Click(ButtonQuit);
    brenk.WaitStatus("Programm beendet");
    brenk.Close();
    return failures ? 1 : 0;
}

// The settings file chooses the language and the default interval; more, when
// given, goes on with the window before it is closed.
int SettingsScenario(const char* scenario, const std::string& ini, const char* defaultCaption,
                     const char* spinText, bool (*more)(Brenk&) = nullptr) {
    const std::string folder = RunFolder(scenario);
    WriteWholeFile(folder + "\\Brenk.ini", ini);
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady()) return 1;
    Check(brenk.FindWindowOf(ErrorBoxTitle) == nullptr, "no error box");
    CheckText("LabelProgram", brenk.Text(LabelProgram), "Observed Program");
    CheckText("LabelCommandLine", brenk.Text(LabelCommandLine), "Command-Line (Optional)");
    CheckText("LabelInterval", brenk.Text(LabelInterval), "Surveillance-Interval");
    CheckText("ButtonOpen", brenk.Text(ButtonOpen), "Open Program");
    CheckText("ButtonStart", brenk.Text(ButtonStart), "Start Program");
    CheckText("ButtonQuit", brenk.Text(ButtonQuit), "Quit Program");
    CheckText("ColumnCaptions", brenk.Text(ColumnCaptions),
              "CPU Minimum\nCPU Maximum\n\nRAM Minimum\nRAM Maximum\n\nCPU Current\nRAM Current");
    CheckText("LabelDefaultInterval", brenk.Text(LabelDefaultInterval), defaultCaption);
    CheckText("SpinInterval", brenk.Text(SpinInterval), spinText);
    CheckText("status at start", brenk.Status(), Credit);
    if (more && !more(brenk)) return 1;
    brenk.Close();
    return failures ? 1 : 0;
}

std::string PassesLog() {
    return WindowsPath(E2E_RUN_DIR) + "\\english_settings\\passes.csv";
}

// With the default index 9 the worker makes a pass every 10 s: the readings
// log, which has each pass's milliseconds since the start, shows the gap
// between the first two (between 9000, the neighbour, and a loose bound for
// a loaded machine). Quit does not wait for the interval.
bool WatchAtTheLongestInterval(Brenk& brenk) {
    if (!brenk.UseRequester(TestProgramPath("sleep_forever.exe").c_str()) ||
        !brenk.WaitStatus(StatusOpened))
        return false;
    CheckText("spin at the default after the choice", brenk.Text(SpinInterval), "10000");
    if (!StartMonitoring(brenk)) return false;
    brenk.WaitChild("sleep_forever.exe");
    std::vector<int64_t> passes;
    PollUntil(
        [&] {
            passes.clear();
            const std::string log = ReadWholeFile(PassesLog());
            for (size_t at = 0; at < log.size();) {
                size_t end = log.find('\n', at);
                if (end == std::string::npos) end = log.size();
                const std::string line = log.substr(at, end - at);
                at = end + 1;
                const size_t comma = line.find(',');
                if (line.empty() || line[0] == '#' || comma == std::string::npos ||
                    !std::isdigit(static_cast<unsigned char>(line[comma + 1])))
                    continue;
                passes.push_back(std::atoll(line.c_str() + comma + 1));
            }
            return passes.size() >= 2;
        },
        25000);
    if (!Check(passes.size() >= 2, "two passes in the log", std::to_string(passes.size())))
        return false;
    const int64_t gap = passes[1] - passes[0];
    Check(gap > 9500 && gap < 12000, "the passes lie 10 s apart", std::to_string(gap) + " ms");
    const ULONGLONG quitAt = GetTickCount64();
    brenk.Click(ButtonQuit);
    if (!brenk.WaitStatus(StatusTerminated, 20000)) return false;
    const ULONGLONG took = GetTickCount64() - quitAt;
    return Check(took < 2000, "the quit does not wait for the interval",
                 std::to_string(took) + " ms");
}

int EnglishSettings() {
    DeleteFileA(PassesLog().c_str()); // rows of an earlier run would come first
    return SettingsScenario("english_settings", EnglishIni(9) + "LogFile=passes.csv\r\n",
                            "Default : 10000 ms", "10000", WatchAtTheLongestInterval);
}

int CutSettings() {
    return SettingsScenario("cut_settings", "[global]\r\n  language = 257\r\nDInterval=266\r\n",
                            "Default : 1000 ms", "1000");
}

int Requester() {
    const std::string folder = RunFolder("requester");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(1));
    const std::string empty = folder + "\\empty.exe";
    WriteWholeFile(empty, "");
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady()) return 1;

    if (!brenk.UseRequester(nullptr)) return 1;
    CheckText("the first requester starts in C:\\", brenk.lookIn, FirstLookIn);
    brenk.WaitStatus(StatusNotOpened);
    brenk.CheckEnabled("after a cancelled requester", "000100");

    if (!brenk.UseRequester(TestProgramPath("burn_user.exe").c_str()) ||
        !brenk.WaitStatus(StatusOpened))
        return 1;
    CheckText("FieldProgramName shows the file name only", brenk.Text(FieldProgramName),
              "burn_user.exe");
    brenk.CheckEnabled("a program chosen", "011110");
    CheckText("spin at the default", brenk.Text(SpinInterval), "2000");

    // A bare name is found only if the requester starts in the folder of the
    // program chosen before.
    if (!brenk.UseRequester("exit_code.exe") || !brenk.WaitStatus(StatusOpened)) return 1;
    Check(brenk.lookIn.find("programs") != std::string::npos,
          "the requester shows the program's folder", Quoted(brenk.lookIn));
    CheckText("the next requester starts in the program's folder", brenk.Text(FieldProgramName),
              "exit_code.exe");

    // A name with a character that no ANSI code page of the west has reaches
    // the tool whole (its code page is UTF-8) and opens as any other.
    std::wstring odd(folder.begin(), folder.end());
    odd += L"\\odd\u4E2Dname.exe";
    Handle oddFile(CreateFileW(odd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(oddFile.value, "MZ", 2, &written, nullptr);
    oddFile.reset();
    // (Read from this robot, whose code page is not UTF-8, the name shows a
    // question mark for the character; the status and the box tell.)
    if (!brenk.UseRequester(odd)) return 1;
    PollUntil([&] { return brenk.Text(FieldProgramName) == "odd?name.exe"; }, StepLimitMs);
    CheckText("a name in any script is taken whole", brenk.Text(FieldProgramName),
              "odd?name.exe");
    Check(brenk.FindWindowOf(ErrorBoxTitle) == nullptr, "no error box for it");
    if (!brenk.UseRequester(TestProgramPath("exit_code.exe").c_str()) ||
        !brenk.WaitStatus(StatusOpened))
        return 1;

    // Choosing again empties the command line and resets the interval, even
    // when the choice is then cancelled.
    SetWindowTextTo(brenk.Control(FieldCommandLine), "-v 2");
    ClickArrow(FindChild(brenk.window, "msctls_updown32"), true);
    brenk.WaitText(SpinInterval, "3000", "the spin moved up");
    brenk.UseRequester(nullptr);
    brenk.WaitStatus(StatusNotOpened);
    CheckText("command line emptied", brenk.Text(FieldCommandLine), "");
    CheckText("spin back at the default", brenk.Text(SpinInterval), "2000");
    CheckText("FieldProgramName emptied", brenk.Text(FieldProgramName), "");

    brenk.UseRequester(empty.c_str());
    brenk.WaitStatus(StatusNotOpened);
    CheckText("an empty file is not opened", brenk.Text(FieldProgramName), "");
    brenk.CheckEnabled("after an empty file", "000100");
    brenk.Close();
    return failures ? 1 : 0;
}

bool Paste(HWND field, const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    const bool set = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    DWORD_PTR result = 0;
    return set && SendMessageTimeoutA(field, WM_PASTE, 0, 0, SMTO_ABORTIFHUNG, AnswerTimeoutMs,
                                      &result) != 0;
}

int CommandLineAndSpin() {
    const std::string folder = RunFolder("command_line_and_spin");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(0));
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady() ||
        !brenk.UseRequester(TestProgramPath("exit_code.exe").c_str()) ||
        !brenk.WaitStatus(StatusOpened))
        return 1;

    std::string pasted;
    for (int i = 0; i < 200; ++i)
        pasted += static_cast<char>('a' + i % 26);
    const HWND field = brenk.Control(FieldCommandLine);
    Check(Paste(field, pasted), "200 characters pasted into the command line");
    brenk.WaitText(FieldCommandLine, pasted.substr(72),
                   "the command line keeps the last 128 characters");
    // 127 characters and exactly 128 stay as typed, once the tool has looked.
    for (const size_t length : {127, 128}) {
        SetWindowTextTo(field, pasted.substr(0, length));
        brenk.Settle();
        CheckText(std::to_string(length) + " characters are left alone",
                  brenk.Text(FieldCommandLine), pasted.substr(0, length));
    }

    const HWND arrows = FindChild(brenk.window, "msctls_updown32");
    if (!Check(arrows != nullptr, "the spin's arrows")) return 1;
    // Each click is checked before the next. A click past an end paired with
    // one back shows whether the end held: had it wrapped, the pair could
    // never show the neighbour of that end.
    ClickArrow(arrows, false);
    ClickArrow(arrows, true);
    brenk.WaitText(SpinInterval, "2000", "the spin stops at 1000 (down, then up)");
    for (int step = 3; step <= 10; ++step) {
        ClickArrow(arrows, true);
        brenk.WaitText(SpinInterval, std::to_string(step * 1000), "the spin moves up");
    }
    ClickArrow(arrows, true);
    ClickArrow(arrows, false);
    brenk.WaitText(SpinInterval, "9000", "the spin stops at 10000 (up, then down)");
    brenk.Close();
    return failures ? 1 : 0;
}

// Documents of the extension open with the command, for as long as the
// object lives.
struct ShellAssociation {
    std::string extension;
    ShellAssociation(const char* ext, const std::string& command) : extension(ext) {
        SetValue(extension, "BrenkRobotDocument");
        SetValue("BrenkRobotDocument\\shell\\open\\command", command);
    }
    ShellAssociation(const ShellAssociation&) = delete;
    ShellAssociation& operator=(const ShellAssociation&) = delete;
    ~ShellAssociation() {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, extension.c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "BrenkRobotDocument");
    }
    static void SetValue(const std::string& key, const std::string& value) {
        HKEY opened = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &opened, nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(opened);
    }
};

// A file that cannot be started: error 6, and the program stays chosen with
// its command line, ready for another start (nothing runs, so no Quit). A
// document starts, but cannot be watched.
int StartFailure() {
    const std::string folder = RunFolder("start_failure");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(0));
    const std::string broken = folder + "\\broken.exe";
    WriteWholeFile(broken, "this is no program\r\n");
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady() || !brenk.UseRequester(broken.c_str()) ||
        !brenk.WaitStatus(StatusOpened))
        return 1;
    SetWindowTextTo(brenk.Control(FieldCommandLine), "-v 2");
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const std::string round = " (start " + std::to_string(attempt) + ")";
        if (!brenk.Click(ButtonStart) || !brenk.AnswerErrorBox("Unable to start Program !"))
            return 1;
        CheckText("status" + round, brenk.Status(), StatusOpened);
        brenk.CheckEnabled("the program still chosen" + round, "011110");
        CheckText("command line kept" + round, brenk.Text(FieldCommandLine), "-v 2");
        CheckText("spin kept" + round, brenk.Text(SpinInterval), "1000");
    }

    // A document starts through the shell, which names no process: it runs
    // unwatched, so the status stays at "Program started" and no readings
    // come (watched, they would come 250 ms after the start); the quit ends
    // it all the same.
    const std::string document = folder + "\\notes.brenke2e";
    WriteWholeFile(document, "notes\r\n");
    const ShellAssociation association(".brenke2e",
                                       "\"" + TestProgramPath("sleep_forever.exe") + "\" \"%1\"");
    if (!brenk.UseRequester(document.c_str()) || !brenk.WaitStatus(StatusOpened) ||
        !brenk.Click(ButtonStart) || !brenk.WaitStatus(StatusStarted))
        return 1;
    Handle opener = brenk.WaitChild("sleep_forever.exe");
    Check(!PollUntil(
              [&] { return brenk.Status() != StatusStarted || !brenk.Text(ColumnValues).empty(); },
              1000),
          "the status stays at \"Program started\" and no readings come",
          Quoted(brenk.Status()) + " " + Quoted(brenk.Text(ColumnValues)));
    brenk.CheckEnabled("only ButtonQuit while unwatched", "000001");
    brenk.Click(ButtonQuit);
    brenk.WaitStatus(StatusTerminated);
    Check(WaitForSingleObject(opener.value, StepLimitMs) == WAIT_OBJECT_0,
          "the document's program has ended");
    brenk.CheckEnabled("the document chosen again", "011110");
    brenk.Close();
    return failures ? 1 : 0;
}

// Not a test: lists what the robot can see.
int Dump() {
    const std::string folder = RunFolder("dump");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(0));
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady()) return 1;
    EnumChildWindows(
        brenk.window,
        [](HWND w, LPARAM) -> BOOL {
            std::printf("child %p parent %p id %d class %s text %s\n", (void*)w,
                        (void*)GetParent(w), GetDlgCtrlID(w), ClassOf(w).c_str(),
                        Quoted(WindowText(w)).c_str());
            return TRUE;
        },
        0);
    brenk.Click(ButtonOpen);
    HWND requester = nullptr;
    PollUntil([&] { return (requester = brenk.FindWindowOf(RequesterTitle)) != nullptr; },
              StepLimitMs);
    Sleep(1000);
    EnumChildWindows(
        requester,
        [](HWND w, LPARAM) -> BOOL {
            std::printf("requester child %p parent %p id %d class %s text %s\n", (void*)w,
                        (void*)GetParent(w), GetDlgCtrlID(w), ClassOf(w).c_str(),
                        Quoted(WindowText(w)).c_str());
            return TRUE;
        },
        0);
    PostMessageA(requester, WM_COMMAND, IDCANCEL, 0);
    brenk.Close();
    return 0;
}

struct Scenario {
    const char* name;
    int (*run)();
};

const Scenario Scenarios[] = {
    {"dump", Dump},
    {"german_start", GermanStart},
    {"english_settings", EnglishSettings},
    {"cut_settings", CutSettings},
    {"requester", Requester},
    {"burner", Burner},
    {"memory", Memory},
    {"self_ending", SelfEnding},
    {"close_while_monitoring", CloseWhileMonitoring},
    {"slow_interval", SlowInterval},
    {"churn_threads", ChurnThreads},
    {"start_failure", StartFailure},
    {"command_line_and_spin", CommandLineAndSpin},
};

} // namespace

int main(int argc, char** argv) {
    if (argc == 2) {
        for (const Scenario& scenario : Scenarios) {
            if (std::strcmp(argv[1], scenario.name) == 0) {
                const int result = scenario.run();
                std::printf("%s: %s\n", scenario.name, result == 0 ? "passed" : "FAILED");
                return result;
            }
        }
    }
    std::printf("usage: e2e_robot <scenario>; scenarios:");
    for (const Scenario& scenario : Scenarios)
        std::printf(" %s", scenario.name);
    std::printf("\n");
    return 2;
}
