// ship_robot: drives the real brenk.exe from outside, only through its window
// (numbered controls, the status bar, the file requester, the close request),
// the way a user would. Used by the package and soak tests, by scripts/run's
// demonstration and by scripts/bench.
//
//   ship_robot smoke <brenk.exe> en|de
//       start, wait for the window and its system line, check the caption of
//       ButtonOpen (the language the settings chose), close, exit code 0
//   ship_robot watch <brenk.exe> <program.exe> <command-line> <ready> <done> [min-passes [history]]
//       open and start <program.exe> through the window; once monitoring
//       runs (and, with min-passes, once that many passes with a non-zero
//       load and working set have been shown) write "<pid> <x> <y> <w> <h>"
//       of brenk's window into the file <ready>, then wait for the file
//       <done>, quit the program and close brenk. With "history", the
//       history window is opened from the system menu first and shown for
//       one more pass; its "<x> <y> <w> <h>" follow on a second line
//   ship_robot soak <brenk.exe> <program.exe> <cycles> <self-ending>
//       <cycles> open/start/quit cycles with a program that runs until quit,
//       then <self-ending> runs of the same program with a command line that
//       makes it end by itself; checks memory, stray programs, liveness
//   ship_robot close <title>
//       asks the window with that title, of whatever program, to close, as
//       its close box would (for a tool started by someone else)
//   ship_robot startup <program.exe> <title> <runs> [system-line]
//       median time from process start to the visible window (and, with
//       system-line, until brenk's system line is shown), in microseconds
//   ship_robot respond <brenk.exe> <sleeper.exe> <ender.exe> <ender-command-line> <runs>
//       median times, in milliseconds, from a click on ButtonQuit to "Program
//       terminated", from the end of the ender to "Program terminated", and
//       from the close request to the end of brenk.exe (the sleeper watched)
//
// brenk.exe is started in the robot's current directory, so the Brenk.ini
// found there applies; the expected texts are the English ones.
// Exit code 0 when every check held; messages name the first that did not.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/ship/ship_driver.h"

namespace {

bool Smoke(const std::string& exe, const std::string& language) {
    // ISO 8859-1, as the tool shows it.
    const std::string openCaption = language == "de" ? "Programm \xF6"
                                                       "ffnen"
                                                     : "Open Program";
    Brenk brenk;
    if (!StartBrenk(exe, brenk)) return false;
    if (brenk.Text(ButtonOpen) != openCaption)
        return Fail("ButtonOpen reads", brenk.Text(ButtonOpen));
    if (!brenk.Enabled(ButtonOpen) || brenk.Enabled(ButtonStart) || brenk.Enabled(ButtonQuit))
        return Fail("only ButtonOpen should be enabled at start");
    std::printf("system line: %s\nstatus: %s\n", brenk.Text(TextSystemInfo).c_str(),
                brenk.Status().c_str());
    return CloseBrenk(brenk);
}

// Passes shown so far whose load and working set were both non-zero: counted
// by watching the current readings change.
// Opens the history window through the system menu's item and waits until
// it has shown one more pass; its outer rectangle in *rect.
bool OpenHistory(const Brenk& brenk, RECT* rect) {
    constexpr WPARAM HistoryItem = 0x0100;
    PostMessageA(brenk.window, WM_SYSCOMMAND, HistoryItem, 0);
    HWND history = nullptr;
    if (!PollUntil([&] { return (history = FindWindowA("BrenkHistory", nullptr)) != nullptr; },
                   StepTimeoutMs))
        return Fail("no history window");
    // A sleeping program's readings may not change: two intervals at most.
    const std::string before = brenk.Text(ColumnValues);
    PollUntil([&] { return brenk.Text(ColumnValues) != before; }, 2500, 50);
    // The main window active again, as it was for its own picture.
    SetForegroundWindow(brenk.window);
    return GetWindowRect(history, rect) != 0;
}

bool Watch(const std::string& exe, const std::string& program, const std::string& commandLine,
           const char* ready, const char* done, int minPasses, bool history) {
    Brenk brenk;
    if (!StartBrenk(exe, brenk) || !OpenProgram(brenk, program) ||
        !StartProgram(brenk, commandLine))
        return false;
    if (minPasses > 0) {
        int passes = 0;
        std::string last;
        if (!PollUntil(
                [&] {
                    const std::string text = brenk.Text(ColumnValues);
                    const std::vector<long long> values = Readings(brenk);
                    if (text != last && values.size() == 6 && values[4] > 0 && values[5] > 0) {
                        ++passes;
                        last = text;
                    }
                    return passes >= minPasses;
                },
                60000, 50))
            return Fail("no live readings; values", brenk.Text(ColumnValues));
    }
    RECT graph{};
    if (history && !OpenHistory(brenk, &graph)) return false;
    RECT rect{};
    GetWindowRect(brenk.window, &rect);
    if (FILE* file = std::fopen(ready, "w")) {
        std::fprintf(file, "%lu %ld %ld %ld %ld\n", brenk.processId, rect.left, rect.top,
                     rect.right - rect.left, rect.bottom - rect.top);
        if (history)
            std::fprintf(file, "%ld %ld %ld %ld\n", graph.left, graph.top,
                         graph.right - graph.left, graph.bottom - graph.top);
        std::fclose(file);
    } else {
        return Fail("cannot write", ready);
    }
    if (!WaitForFile(done)) return Fail("no", done);
    std::vector<long long> values = Readings(brenk);
    std::printf("readings:");
    for (long long v : values)
        std::printf(" %lld", v);
    std::printf("\n");
    return QuitProgram(brenk) && CloseBrenk(brenk);
}

bool Soak(const std::string& exe, const std::string& program, int cycles, int selfEnding) {
    // Fixed margins over the figures after the first cycle: enough for the
    // allocator's and the window system's rounding, far below what one lost
    // block per cycle would add up to over the run.
    constexpr SIZE_T PrivateMargin = 1u << 20;
    constexpr SIZE_T WorkingSetMargin = 2u << 20;
    Brenk brenk;
    if (!StartBrenk(exe, brenk)) return false;
    Memory first, last;
    const ULONGLONG started = GetTickCount64();
    // Where the time goes, for the figures printed at the end.
    double openMs = 0, startMs = 0, quitMs = 0;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        // The program runs until it is quit (it holds its memory forever).
        const double t0 = NowMicroseconds();
        if (!OpenProgram(brenk, program)) return Fail("open, cycle", std::to_string(cycle));
        const double t1 = NowMicroseconds();
        if (!StartProgram(brenk, "0 1 -1")) return Fail("start, cycle", std::to_string(cycle));
        // The count of programs left at the end must be able to see one.
        if (const int seen = cycle == 1 ? ChildrenOf(brenk.processId) : 1; seen != 1)
            return Fail("the running program is not seen as brenk's only child",
                        std::to_string(seen) + " seen");
        const double t2 = NowMicroseconds();
        if (!QuitProgram(brenk)) return Fail("quit, cycle", std::to_string(cycle));
        const double t3 = NowMicroseconds();
        openMs += (t1 - t0) / 1000;
        startMs += (t2 - t1) / 1000;
        quitMs += (t3 - t2) / 1000;
        if (cycle == 1 && !ReadMemory(brenk, first)) return false;
    }
    std::printf("%d open/start/quit cycles in %.1f s (open %.0f ms, start %.0f ms, quit %.0f ms "
                "per cycle)\n",
                cycles, (GetTickCount64() - started) / 1000.0, openMs / cycles, startMs / cycles,
                quitMs / cycles);
    const ULONGLONG selfStarted = GetTickCount64();
    for (int run = 1; run <= selfEnding; ++run) {
        // Ends by itself about 400 ms after its start, while it is sampled;
        // the worker's hand-over at the end wakes the loop, which notices
        // the end without any input from the robot.
        if (!StartProgram(brenk, "200 1 200") || !WaitTerminated(brenk))
            return Fail("self-ending run", std::to_string(run));
    }
    std::printf("%d self-ending programs in %.1f s\n", selfEnding,
                (GetTickCount64() - selfStarted) / 1000.0);
    if (!ReadMemory(brenk, last)) return false;
    std::printf("private bytes %zu -> %zu, working set %zu -> %zu\n", first.privateBytes,
                last.privateBytes, first.workingSet, last.workingSet);
    bool ok = true;
    if (last.privateBytes > first.privateBytes + PrivateMargin)
        ok = Fail("private bytes grew beyond the margin");
    if (last.workingSet > first.workingSet + WorkingSetMargin)
        ok = Fail("working set grew beyond the margin");
    ok = CountHeld("handles", first.handles, last.handles) && ok;
    ok = CountHeld("GDI objects", first.gdiObjects, last.gdiObjects) && ok;
    ok = CountHeld("USER objects", first.userObjects, last.userObjects) && ok;
    const int left = ChildrenOf(brenk.processId);
    if (left != 0) ok = Fail("observed programs left running", std::to_string(left));
    if (!Answers(brenk.window)) ok = Fail("brenk.exe does not answer");
    return CloseBrenk(brenk) && ok;
}

bool Startup(const std::string& exe, const char* title, int runs, bool systemLine) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        Brenk target;
        const double begin = NowMicroseconds();
        if (!Launch("\"" + exe + "\"", target.process, target.processId))
            return Fail("cannot start", exe);
        if (!PollUntil(
                [&] {
                    target.window = FindTopWindow(target.processId, nullptr, title);
                    return target.window && (!systemLine || !target.Text(TextSystemInfo).empty());
                },
                StepTimeoutMs, 1))
            return Fail("no window", title);
        times.push_back(NowMicroseconds() - begin);
        PostMessageA(target.window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(target.process.value, StepTimeoutMs) != WAIT_OBJECT_0)
            return Fail("did not end", exe);
    }
    std::sort(times.begin(), times.end());
    std::printf("startup_us %.0f (median; min %.0f, max %.0f, %d runs)\n", times[times.size() / 2],
                times.front(), times.back(), runs);
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Polls every millisecond; the time in ms until the condition held, or -1.
double MillisecondsUntil(double since, const std::function<bool()>& condition) {
    if (!PollUntil(condition, 60000, 1)) return -1;
    return (NowMicroseconds() - since) / 1000;
}

// Opens and starts the program and waits for its first readings, so that
// the worker is in its pause between passes.
bool Watching(const Brenk& brenk, const std::string& program, const std::string& commandLine) {
    if (!OpenProgram(brenk, program) || !StartProgram(brenk, commandLine)) return false;
    if (!PollUntil([&] { return Readings(brenk).size() == 6; }, StepTimeoutMs))
        return Fail("no readings of", program);
    return true;
}

bool Respond(const std::string& exe, const std::string& sleeper, const std::string& ender,
             const std::string& enderLine, int runs) {
    std::vector<double> quit, ownEnd, close;
    for (int run = 0; run < runs; ++run) {
        Brenk brenk;
        if (!StartBrenk(exe, brenk) || !Watching(brenk, sleeper, "")) return false;
        const double clicked = NowMicroseconds();
        if (!brenk.Click(ButtonQuit)) return Fail("ButtonQuit cannot be clicked");
        quit.push_back(
            MillisecondsUntil(clicked, [&] { return brenk.Status() == StatusTerminated; }));

        if (!Watching(brenk, ender, enderLine)) return false;
        DWORD child = 0;
        if (ChildrenOf(brenk.processId, &child) != 1) return Fail("the ender is not seen");
        Handle program(OpenProcess(SYNCHRONIZE, FALSE, child));
        if (WaitForSingleObject(program.value, 60000) != WAIT_OBJECT_0)
            return Fail("the ender does not end");
        const double ended = NowMicroseconds();
        ownEnd.push_back(
            MillisecondsUntil(ended, [&] { return brenk.Status() == StatusTerminated; }));

        if (!Watching(brenk, sleeper, "")) return false;
        const double asked = NowMicroseconds();
        PostMessageA(brenk.window, WM_CLOSE, 0, 0);
        close.push_back(MillisecondsUntil(
            asked, [&] { return WaitForSingleObject(brenk.process.value, 0) == WAIT_OBJECT_0; }));
        std::printf("run %d: quit %.1f ms, own end %.1f ms, close %.1f ms\n", run + 1, quit.back(),
                    ownEnd.back(), close.back());
    }
    std::printf("quit_ms %.1f\nown_end_ms %.1f\nclose_ms %.1f\n", Median(quit), Median(ownEnd),
                Median(close));
    return true;
}

int Usage() {
    std::printf("usage: ship_robot smoke|watch|soak|startup|respond ... (see the source)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Progress shows as it happens, also when the output goes to a file.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    bool ok = false;
    if (command == "smoke" && argc == 4) {
        ok = Smoke(FullPath(argv[2]), argv[3]);
    } else if (command == "watch" && argc >= 7 && argc <= 9) {
        ok = Watch(FullPath(argv[2]), FullPath(argv[3]), argv[4], argv[5], argv[6],
                   argc >= 8 ? std::atoi(argv[7]) : 0,
                   argc == 9 && std::strcmp(argv[8], "history") == 0);
    } else if (command == "soak" && argc == 6) {
        ok = Soak(FullPath(argv[2]), FullPath(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    } else if (command == "close" && argc == 3) {
        HWND window = nullptr;
        ok = PollUntil([&] { return (window = FindWindowA(nullptr, argv[2])) != nullptr; },
                       StepTimeoutMs) &&
             PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (command == "respond" && argc == 7) {
        ok = Respond(FullPath(argv[2]), FullPath(argv[3]), FullPath(argv[4]), argv[5],
                     std::atoi(argv[6]));
    } else if (command == "startup" && (argc == 5 || argc == 6)) {
        ok = Startup(FullPath(argv[2]), argv[3], std::atoi(argv[4]), argc == 6);
    } else {
        return Usage();
    }
    std::printf("%s\n", ok ? "OK" : "FAILED");
    return ok ? 0 : 1;
}
