// The robot's scenarios that watch a running program: its readings against
// what Linux reports, its end by itself, and the window closed under it.
#include "tests/e2e/brenk_window.h"

namespace {

// The Linux process of the observed program, found by the token in its
// command line.
std::string LinuxProcessOf(const std::string& token) {
    std::string linuxPid;
    PollUntil([&] { return !(linuxPid = LinuxProcessWithToken(token)).empty(); }, StepLimitMs);
    Check(!linuxPid.empty(), "the program's Linux process is found by its token");
    return linuxPid;
}

// Three passes at 1000 ms against what Linux counts for the same process: the
// working set within ramPercent, and a load of at least `wanted` unless Linux
// itself saw less; false when the readings did not come. A pass whose update
// the robot saw right after the previous one seen is compared with what
// Linux counted in between.
bool LoadAgreesWithLinux(Brenk& brenk, const std::string& linuxPid, int64_t wanted,
                         int64_t ramPercent) {
    std::string before = brenk.Text(ColumnValues);
    LinuxFigures last = ReadLinuxFigures(linuxPid);
    bool lastSeen = false;
    int compared = 0;
    int64_t highest = 0;
    int64_t linuxHighest = 0;
    for (int pass = 1; pass <= 3; ++pass) {
        const Readings now = brenk.NextReadings(before, 1500);
        const LinuxFigures figures = ReadLinuxFigures(linuxPid);
        if (!Check(now.valid, "pass " + std::to_string(pass) + " shows six grouped readings",
                   Quoted(brenk.Text(ColumnValues))))
            return false;
        before = now.text;
        Check(Ordered(now), "minimum <= current <= maximum", Quoted(now.text));
        Check(now.row[RamCurrent] > Megabyte, "working set above 1 MB", Quoted(now.text));
        const int64_t rss = figures.rssBytes;
        const int64_t difference = now.row[RamCurrent] - rss;
        Check(difference * 100 <= rss * ramPercent && -difference * 100 <= rss * ramPercent,
              "working set within " + std::to_string(ramPercent) + " % of Linux VmRSS",
              std::to_string(now.row[RamCurrent]) + " vs " + std::to_string(rss));
        const int64_t wall = static_cast<int64_t>(figures.at - last.at);
        if (lastSeen && now.changed && wall > 0) {
            ++compared;
            const int64_t linuxLoad = (figures.cpuTicks - last.cpuTicks) * 10 * 100 / wall;
            linuxHighest = linuxLoad > linuxHighest ? linuxLoad : linuxHighest;
            Check(now.row[CpuCurrent] - linuxLoad <= 15 && linuxLoad - now.row[CpuCurrent] <= 15,
                  "load within 15 points of Linux utime+stime",
                  std::to_string(now.row[CpuCurrent]) + " vs " + std::to_string(linuxLoad) +
                      " over " + std::to_string(wall) + " ms");
        }
        highest = now.row[CpuCurrent] > highest ? now.row[CpuCurrent] : highest;
        last = figures;
        lastSeen = now.changed;
    }
    Note(std::to_string(compared) + " passes compared with Linux");
    // A busy machine may give the program less than it asks; the comparison
    // with Linux above holds all the same.
    if (linuxHighest < wanted + 5)
        Note("Linux saw at most " + std::to_string(linuxHighest) + " % for the program");
    Check(highest >= wanted || linuxHighest < wanted + 5,
          "a current load of at least " + std::to_string(wanted) + " within three passes",
          std::to_string(highest));
    return true;
}

} // namespace

// All the work of the churner is done by threads that live 40 ms each, far
// shorter than a pass: the load must count the threads that have ended.
int ChurnThreads() {
    const std::string folder = RunFolder("churn_threads");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(0));
    const std::string token = UniqueToken("churn");
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady() ||
        !OpenWithCommandLine(brenk, "churn_threads.exe", "60000 " + token) ||
        !StartMonitoring(brenk))
        return 1;
    const std::string linuxPid = LinuxProcessOf(token);
    // Each thread's stack comes and goes with it: its working set moves by
    // about a megabyte between two reads.
    if (linuxPid.empty() || !LoadAgreesWithLinux(brenk, linuxPid, 50, 15)) return 1;
    brenk.Click(ButtonQuit);
    brenk.WaitStatus(StatusTerminated);
    brenk.Close();
    return failures ? 1 : 0;
}

// Burner: load and working set against the Linux figures of the same process.
int Burner() {
    const std::string folder = RunFolder("burner");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(0));
    const std::string token = UniqueToken("burner");
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady() ||
        !OpenWithCommandLine(brenk, "burn_user.exe", "60000 " + token) || !StartMonitoring(brenk))
        return 1;
    Handle burner = brenk.WaitChild("burn_user.exe");
    const std::string linuxPid = LinuxProcessOf(token);
    if (linuxPid.empty() || !LoadAgreesWithLinux(brenk, linuxPid, 80, 2)) return 1;

    // Quit while running: the burner is ended with exit code 0xFFFFFFFF and
    // the readings shown stay as they were: the quit ends the worker's pause
    // at once, without another pass.
    const std::string shown = brenk.NextReadings(brenk.Text(ColumnValues), 1500).text;
    brenk.Click(ButtonQuit);
    brenk.WaitStatus(StatusTerminated);
    Check(WaitForSingleObject(burner.value, StepLimitMs) == WAIT_OBJECT_0, "the burner has ended");
    DWORD code = 0;
    GetExitCodeProcess(burner.value, &code);
    Check(code == KilledExitCode, "the burner's exit code is 0xFFFFFFFF", std::to_string(code));
    brenk.CheckEnabled("after quit", "011110");
    CheckText("the readings stay after quit", brenk.Text(ColumnValues), shown);
    Check(ParseReadings(shown).valid, "they are six readings", Quoted(shown));
    brenk.Close();
    return failures ? 1 : 0;
}

int Memory() {
    const std::string folder = RunFolder("memory");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(0));
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady() ||
        !OpenWithCommandLine(brenk, "grow_memory.exe", "0 -1 " + UniqueToken("memory-base")) ||
        !StartMonitoring(brenk))
        return 1;
    const Readings base = brenk.WatchReadings(2500);
    if (!Check(base.valid, "the grower without allocation shows readings", Quoted(base.text)))
        return 1;
    brenk.Click(ButtonQuit);
    brenk.WaitStatus(StatusTerminated);

    constexpr int64_t Allocated = 64 * Megabyte;
    const std::string token = UniqueToken("memory");
    SetWindowTextTo(brenk.Control(FieldCommandLine), "64 -1 " + token);
    if (!StartMonitoring(brenk)) return 1;
    const Readings grown = brenk.WatchReadings(3500);
    if (!Check(grown.valid, "the grower shows readings", Quoted(grown.text))) return 1;
    const int64_t expected = Allocated + base.row[RamMaximum];
    const int64_t maximum = grown.row[RamMaximum];
    Check(maximum * 10 >= expected * 9 && maximum * 10 <= expected * 11,
          "RAM maximum within 10 % of the allocation plus the base",
          std::to_string(maximum) + " vs " + std::to_string(expected));
    const std::string linuxPid = LinuxProcessWithToken(token);
    const LinuxFigures figures = ReadLinuxFigures(linuxPid);
    Check(figures.found && maximum * 10 >= figures.rssBytes * 9 &&
              maximum * 10 <= figures.rssBytes * 11,
          "RAM maximum within 10 % of Linux VmRSS",
          std::to_string(maximum) + " vs " + std::to_string(figures.rssBytes));
    brenk.Click(ButtonQuit);
    brenk.WaitStatus(StatusTerminated);
    brenk.Close();
    return failures ? 1 : 0;
}

// A program that ends by itself is noticed without any input, and can be
// started again with the same command line.
int SelfEnding() {
    const std::string folder = RunFolder("self_ending");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(0));
    const std::string commandLine = "1500 " + UniqueToken("self-ending");
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady() ||
        !OpenWithCommandLine(brenk, "burn_user.exe", commandLine))
        return 1;
    for (int run = 1; run <= 2; ++run) {
        if (!StartMonitoring(brenk)) return 1;
        Handle burner = brenk.WaitChild("burn_user.exe");
        if (!Check(WaitForSingleObject(burner.value, StepLimitMs) == WAIT_OBJECT_0,
                   "the burner ends by itself"))
            return 1;
        // Nothing is sent to the tool now: the worker's next update alone
        // must wake its loop, which then notices the end. One interval and
        // a pass suffice; the quiet wait allows two and a half.
        Sleep(2500);
        CheckText("noticed without input", brenk.Status(), StatusTerminated);
        const Readings last = brenk.Values();
        Check(last.valid && last.row[CpuMaximum] > 0, "the last readings stay", Quoted(last.text));
        // A pass that overlapped the end must not put the zeros of a gone
        // process among them.
        Check(last.row[RamMinimum] > Megabyte && last.row[RamCurrent] > Megabyte,
              "the last readings are the running program's", Quoted(last.text));
        brenk.CheckEnabled("ready for a new start", "011110");
        CheckText("same program", brenk.Text(FieldProgramName), "burn_user.exe");
        CheckText("same command line", brenk.Text(FieldCommandLine), commandLine);
    }
    brenk.Close();
    return failures ? 1 : 0;
}

// Closing the window while monitoring ends the observed program first.
int CloseWhileMonitoring() {
    const std::string folder = RunFolder("close_while_monitoring");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(0));
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady() ||
        !OpenWithCommandLine(brenk, "sleep_forever.exe", UniqueToken("close")) ||
        !StartMonitoring(brenk))
        return 1;
    Handle sleeper = brenk.WaitChild("sleep_forever.exe");
    if (!brenk.Close()) return 1;
    Check(WaitForSingleObject(sleeper.value, 0) == WAIT_OBJECT_0,
          "the observed program has ended when brenk.exe has");
    DWORD code = 0;
    GetExitCodeProcess(sleeper.value, &code);
    Check(code == KilledExitCode, "its exit code is 0xFFFFFFFF", std::to_string(code));
    FILETIME created, sleeperExit, kernel, user, brenkExit;
    GetProcessTimes(sleeper.value, &created, &sleeperExit, &kernel, &user);
    GetProcessTimes(brenk.info.hProcess, &created, &brenkExit, &kernel, &user);
    Check(CompareFileTime(&sleeperExit, &brenkExit) <= 0, "it ended before brenk.exe did");
    return failures ? 1 : 0;
}

namespace {

// Wine waits up to 2 s for a window manager when a window is destroyed; the
// test display has none. While this lives, programs started in the Wine
// prefix do not wait (elsewhere the key means nothing).
struct UnmanagedWindows {
    HKEY key = nullptr;
    UnmanagedWindows() {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr);
        if (key) RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    }
    ~UnmanagedWindows() {
        if (!key) return;
        RegDeleteValueA(key, "Managed");
        RegCloseKey(key);
    }
};

constexpr DWORD AtOnceMs = 2000; // a loose bound for a busy machine

} // namespace

// At the slowest interval, Quit, the program's own end and closing the window
// each take effect at once, and the last readings stay; a program that ends
// before the first pass (even with the exit code that means "still active")
// shows no figures of the observation before.
int SlowInterval() {
    const std::string folder = RunFolder("slow_interval");
    WriteWholeFile(folder + "\\Brenk.ini", EnglishIni(9));
    UnmanagedWindows unmanaged;
    Brenk brenk;
    if (!brenk.Start(folder) || !brenk.WaitReady() ||
        !OpenWithCommandLine(brenk, "burn_user.exe", "60000 " + UniqueToken("slow-quit")) ||
        !StartMonitoring(brenk))
        return 1;
    Readings shown = brenk.NextReadings("", StepLimitMs);
    brenk.Click(ButtonQuit);
    brenk.WaitStatus(StatusTerminated, AtOnceMs);
    CheckText("the readings stay after quit", brenk.Text(ColumnValues), shown.text);

    if (!OpenWithCommandLine(brenk, "burn_user.exe", "1500 " + UniqueToken("slow-end")) ||
        !StartMonitoring(brenk))
        return 1;
    Handle ender = brenk.WaitChild("burn_user.exe");
    shown = brenk.NextReadings("", StepLimitMs);
    Check(WaitForSingleObject(ender.value, StepLimitMs) == WAIT_OBJECT_0, "the burner ends");
    brenk.WaitStatus(StatusTerminated, AtOnceMs);
    CheckText("the readings stay after the end", brenk.Text(ColumnValues), shown.text);
    Check(shown.valid && shown.row[CpuMaximum] > 0, "they are the burner's", Quoted(shown.text));

    for (const char* code : {"259", "0"}) {
        if (!OpenWithCommandLine(brenk, "exit_code.exe", code) || !brenk.Click(ButtonStart))
            return 1;
        brenk.WaitStatus(StatusTerminated, AtOnceMs);
        CheckText(std::string("no figures of before for exit code ") + code,
                  brenk.Text(ColumnValues), "");
    }

    if (!OpenWithCommandLine(brenk, "sleep_forever.exe", UniqueToken("slow-close")) ||
        !StartMonitoring(brenk))
        return 1;
    Handle sleeper = brenk.WaitChild("sleep_forever.exe");
    brenk.NextReadings("", StepLimitMs);
    if (!brenk.Close(AtOnceMs)) return 1;
    Check(WaitForSingleObject(sleeper.value, 0) == WAIT_OBJECT_0, "the sleeper has ended too");
    return failures ? 1 : 0;
}
