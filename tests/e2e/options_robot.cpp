// options_robot <scenario>: drives the real brenk.exe through its window with
// the opt-in settings Children, CpuScale and LogFile, and reads the summary
// back from the tooltip of the readings block. Figures are compared with what
// Linux itself counts for the same processes (reached through drive Z:).
// Prints one line per check; exit code 0 when every check held.
#include "tests/e2e/options_robot.h"

#include <commctrl.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <utility>

// Linux's figures summed over every process whose command line holds the
// token (a shell and the program it started, or a parent and its children).
static LinuxFigures ReadTokenFigures(const std::string& token) {
    LinuxFigures sum;
    sum.at = GetTickCount64();
    for (const std::string& pid : LinuxProcessesWithToken(token)) {
        const LinuxFigures one = ReadLinuxFigures(pid);
        sum.cpuTicks += one.cpuTicks;
        sum.rssBytes += one.rssBytes;
    }
    return sum;
}

static int64_t LinuxLoad(const LinuxFigures& before, const LinuxFigures& after) {
    const auto wall = static_cast<int64_t>(after.at - before.at);
    return wall > 0 ? (after.cpuTicks - before.cpuTicks) * 10 * 100 / wall : 0;
}

// The test's own programs that brenk started, and the ones they started in
// turn. Only the names the test started are taken: Wine starts its own
// service processes on first use, named as children of whoever needed them.
static std::vector<DWORD> Descendants(const Brenk& brenk, const std::vector<std::string>& names) {
    std::vector<DWORD> found{brenk.info.dwProcessId};
    for (size_t i = 0; i < found.size(); ++i)
        for (const PROCESSENTRY32& process : ProcessesStartedBy(found[i]))
            for (const std::string& name : names)
                if (_stricmp(process.szExeFile, name.c_str()) == 0)
                    found.push_back(process.th32ProcessID);
    found.erase(found.begin());
    return found;
}

// Ends what a failed check may have left running.
static void EndAll(const std::vector<DWORD>& processes) {
    for (DWORD id : processes)
        Brenk::EndProcess(id);
}

namespace {

// Children: a parent holding 64 MB with two children holding 64 MB each is
// read as one; quitting, closing the window, and brenk's own end when it is
// killed end all three.
int Children() {
    const std::string folder = RunFolder("options_children");
    const std::vector<std::string> names = {"spawn_children.exe", "grow_memory.exe"};
    enum Ending { ByQuit, ByClosing, ByKilling };
    for (const bool children : {true, false}) {
        for (const Ending ending : {ByQuit, ByClosing, ByKilling}) {
            if (!children && ending != ByQuit) continue;
            const std::string token = UniqueToken("children");
            Brenk brenk;
            if (!StartWith(brenk, folder, children ? "Children=1\r\n" : "") ||
                !Open(brenk, TestProgramPath("spawn_children.exe"), "2 64 " + token) ||
                !StartMonitoring(brenk))
                return 1;
            std::vector<DWORD> tree;
            PollUntil([&] { return (tree = Descendants(brenk, names)).size() == 3; }, StepLimitMs);
            Check(tree.size() == 3, "the program and its two children run",
                  std::to_string(tree.size()) + " processes");
            std::string before;
            Readings row;
            // The children take a moment to touch their memory; without
            // Children a pass more shows that nothing more comes.
            const int64_t wanted = (children ? 3 : 1) * 64 * Megabyte;
            PollUntil(
                [&] {
                    row = NextPass(brenk, before);
                    return row.valid && row.row[RamCurrent] >= wanted;
                },
                StepLimitMs);
            if (!children) row = NextPass(brenk, before);
            const int64_t ram = !row.valid ? -1 : row.row[RamCurrent];
            if (children)
                Check(ram >= 192 * Megabyte, "Children=1: RAM current counts all three",
                      std::to_string(ram));
            else
                Check(ram >= 64 * Megabyte && ram < 128 * Megabyte,
                      "Children=0: RAM current is the program's own", std::to_string(ram));
            std::vector<Handle> handles;
            for (DWORD id : tree)
                handles.emplace_back(
                    OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
            if (ending == ByClosing) {
                brenk.Close();
            } else if (ending == ByKilling) {
                TerminateProcess(brenk.info.hProcess, 1);
            } else {
                brenk.Click(ButtonQuit);
                brenk.WaitStatus(StatusTerminated);
            }
            if (!children) {
                EndAll(tree); // the children were never the tool's
                continue;
            }
            const char* what[] = {"Quit", "closing", "killing brenk"};
            for (const Handle& process : handles) {
                DWORD code = 0;
                const bool ended = WaitForSingleObject(process.value, StepLimitMs) == WAIT_OBJECT_0;
                GetExitCodeProcess(process.value, &code);
                // The job's end at brenk's own end gives no code of its own.
                Check(ended && (code == KilledExitCode || ending == ByKilling),
                      std::string(what[ending]) + " ends each process" +
                          (ending == ByKilling ? "" : " with exit code 0xFFFFFFFF"),
                      std::to_string(code));
            }
            EndAll(tree);
            if (ending == ByQuit) brenk.Close();
        }
    }
    return failures ? 1 : 0;
}

// The load of the processes named by token over three passes, checked
// against Linux's count for them divided by divisor; Linux's highest, and
// the highest shown in shown. The robot sees a pass only some time after
// it, later on a busy machine, so Linux's count of one pass spans another
// time than the pass's own: the three passes are compared as one span,
// whose ends alone differ by that delay.
int64_t WatchLoad(const Brenk& brenk, const std::string& token, int64_t divisor,
                  int64_t* shown = nullptr) {
    std::string before = brenk.Text(ColumnValues);
    NextPass(brenk, before);
    const LinuxFigures first = ReadTokenFigures(token);
    LinuxFigures last = first;
    int64_t highest = 0;
    int64_t linuxHighest = 0;
    int64_t sum = 0;
    for (int pass = 1; pass <= 3; ++pass) {
        // One busy thread at CpuScale=1 reads 49 or 50 beside a steady working
        // set, so two passes in a row may show the same text.
        const Readings row = NextPass(brenk, before);
        const LinuxFigures now = ReadTokenFigures(token);
        if (!Check(row.valid, "pass " + std::to_string(pass) + " shows readings")) return -1;
        sum += row.row[CpuCurrent];
        highest = row.row[CpuCurrent] > highest ? row.row[CpuCurrent] : highest;
        const int64_t linux = LinuxLoad(last, now) / divisor;
        linuxHighest = linux > linuxHighest ? linux : linuxHighest;
        last = now;
    }
    const int64_t linux = LinuxLoad(first, last) / divisor;
    const int64_t within = 20 / divisor;
    Check(sum / 3 - linux <= within && linux - sum / 3 <= within,
          "load within " + std::to_string(within) + " points of Linux's count over three passes",
          std::to_string(sum / 3) + " vs " + std::to_string(linux));
    std::printf("note: highest load %lld, Linux %lld\n", static_cast<long long>(highest),
                static_cast<long long>(linuxHighest));
    if (shown) *shown = highest;
    return linuxHighest;
}

// A burner started through cmd.exe /c: its load is the job's with Children=1
// and stays near 0 without. The burner is found on the path that brenk, and
// so cmd.exe, inherit: the command line holds no folder of the checkout,
// however deep, and stays far below the field's 128 characters.
int ShellBurner() {
    const std::string folder = RunFolder("options_shell_burner");
    std::string path(32767, '\0');
    path.resize(GetEnvironmentVariableA("PATH", path.data(), static_cast<DWORD>(path.size())));
    std::string programs = TestProgramPath("burn_user.exe");
    programs.erase(programs.rfind('\\'));
    SetEnvironmentVariableA("PATH", (programs + ";" + path).c_str());
    for (const bool children : {true, false}) {
        const std::string token = UniqueToken("shell");
        Brenk brenk;
        const std::string commandLine = "/c burn_user.exe 60000 " + token;
        if (!StartWith(brenk, folder, children ? "Children=1\r\n" : "") ||
            !Open(brenk, "C:\\windows\\system32\\cmd.exe", commandLine) ||
            !CheckText("the whole command line typed", brenk.Text(FieldCommandLine), commandLine) ||
            !StartMonitoring(brenk))
            return 1;
        int64_t highest = 0;
        if (children) {
            const int64_t linux = WatchLoad(brenk, token, 1, &highest);
            // A busy machine may give the burner less than a processor: then
            // what Linux counted is what must show.
            Check(highest >= (linux >= 85 ? 80 : linux - 20), "Children=1: the burner's load shows",
                  std::to_string(highest) + ", Linux " + std::to_string(linux));
        } else {
            // After the first pass, which covers cmd.exe starting the burner.
            std::string before;
            NextPass(brenk, before);
            for (int pass = 0; pass < 3; ++pass) {
                const Readings row = NextPass(brenk, before);
                if (row.valid && row.row[CpuCurrent] > highest) highest = row.row[CpuCurrent];
            }
            Check(highest <= 10, "Children=0: cmd.exe alone stays near 0", std::to_string(highest));
        }
        const std::vector<DWORD> tree = Descendants(brenk, {"cmd.exe", "burn_user.exe"});
        brenk.Click(ButtonQuit);
        brenk.WaitStatus(StatusTerminated);
        EndAll(tree);
        brenk.Close();
    }
    return failures ? 1 : 0;
}

// CpuScale=2 lets two busy threads show above 100; CpuScale=1 shows one busy
// thread as a share of both processors.
int CpuScale() {
    const std::string folder = RunFolder("options_cpu_scale");
    const int64_t processors = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    for (const int scale : {2, 1}) {
        const std::string token = UniqueToken("scale");
        Brenk brenk;
        if (!StartWith(brenk, folder, "CpuScale=" + std::to_string(scale) + "\r\n") ||
            !Open(brenk, TestProgramPath("burn_user.exe"),
                  std::string("60000 ") + (scale == 2 ? "2 " : "1 ") + token) ||
            !StartMonitoring(brenk))
            return 1;
        int64_t highest = 0;
        const int64_t linux = WatchLoad(brenk, token, scale == 2 ? 1 : processors, &highest);
        if (scale == 2)
            // On a machine shared with other work two threads may get less
            // than two processors: then what Linux counted is what must show.
            Check(highest >= (linux > 120 ? 101 : linux - 20), "CpuScale=2: a load above 100",
                  std::to_string(highest) + ", Linux " + std::to_string(linux));
        else
            Check(highest <= 100 / processors + 5, "CpuScale=1: one busy thread, a share of all",
                  std::to_string(highest));
        brenk.Click(ButtonQuit);
        brenk.WaitStatus(StatusTerminated);
        brenk.Close();
    }
    return failures ? 1 : 0;
}

// The summary in the tooltip: a program that ends at once, one that crashes,
// a burner's processor time against Linux's count while it runs and its
// Quit, and a program whose memory peaks at 150 MB.
int Summary() {
    const std::string folder = RunFolder("options_summary");
    Brenk brenk;
    if (!StartWith(brenk, folder, "") ||
        !Open(brenk, TestProgramPath("exit_code.exe"), "3 " + UniqueToken("summary")))
        return 1;
    // It may end before the robot sees it running.
    brenk.Click(ButtonStart);
    brenk.WaitStatus(StatusTerminated);
    std::string tip;
    PollUntil([&] { return SummaryNumber(tip = Tooltip(brenk), "Exit code") >= 0; }, StepLimitMs);
    Check(SummaryNumber(tip, "Exit code") == 3, "the summary names exit code 3", tip);
    const int64_t ran = SummaryNumber(tip, "Run time");
    Check(ran >= 0 && ran < 1000, "a run time under 1 s", tip);
    // Gone before its first pass: what could not be read is not shown as 0.
    Check(SummaryNumber(tip, "Peak working set") != 0, "no peak of 0 for a program gone at once",
          tip);

    // Wine's crash dialog is off in the test prefix, as no debugger is on Windows.
    if (!Open(brenk, TestProgramPath("exit_code.exe"), "crash " + UniqueToken("crash"))) return 1;
    brenk.Click(ButtonStart);
    brenk.WaitStatus(StatusTerminated);
    // "0x..." reads as 0 here; the summary of before as its 3.
    PollUntil([&] { return SummaryNumber(tip = Tooltip(brenk), "Exit code") == 0; }, StepLimitMs);
    Check(tip.find("Exit code : 0xC0000005 (Access violation)\r\n") != std::string::npos,
          "a crash shows its code in hexadecimal and its name", tip);

    // A 32-bit program, which Wine without its 32-bit part cannot start.
    std::string image = ReadWholeFile(TestProgramPath("exit_code.exe"));
    const std::string old = folder + "\\old32.exe";
    if (!WriteWholeFile(old,
                        image.replace(static_cast<uint8_t>(image.at(0x3C)) + 4, 2, "\x4C\x01")) ||
        !Open(brenk, old, "") || !brenk.Click(ButtonStart) ||
        !brenk.AnswerErrorBox("Unable to start Program !") || !brenk.WaitStatus(StatusOpened))
        return 1;
    tip = Tooltip(brenk);
    Check(tip.starts_with("Not started : error ") && tip.find(": ", 20) < tip.find("\r\n") &&
              tip.ends_with("\r\nA 32-bit program"),
          "why it did not start, and that it is a 32-bit program", Quoted(tip));
    // One that imports a DLL which is not there ends with the system's status, named.
    image = ReadWholeFile(TestProgramPath("exit_code.exe"));
    const std::string lacking = folder + "\\lacking.exe";
    if (!WriteWholeFile(lacking, image.replace(image.find("msvcrt.dll"), 10, "msvcrx.dll")) ||
        !Open(brenk, lacking, "") || !brenk.Click(ButtonStart) ||
        !brenk.WaitStatus(StatusTerminated))
        return 1;
    PollUntil([&] { return (tip = Tooltip(brenk)).find("Exit code") != tip.npos; }, StepLimitMs);
    Check(tip.find("Exit code : 0xC0000135 (A DLL was not found)\r\n") != tip.npos,
          "a missing DLL shows its status and its name", Quoted(tip));

    const std::string token = UniqueToken("burner");
    if (!Open(brenk, TestProgramPath("burn_user.exe"), "60000 " + token) || !StartMonitoring(brenk))
        return 1;
    // The processor time so far grows over two passes as Linux's count for
    // the burner does, read as soon as each figure shows, so both lag alike.
    int64_t used[2] = {};
    int64_t linux[2] = {};
    for (int i = 0; i < 2; ++i) {
        const int64_t since = i == 0 ? 0 : SummaryNumber(tip, "Running for") + 1500;
        PollUntil(
            [&] {
                tip = Tooltip(brenk);
                return SummaryNumber(tip, "Processor time") > 0 &&
                       SummaryNumber(tip, "Running for") >= since;
            },
            StepLimitMs);
        linux[i] = ReadTokenFigures(token).cpuTicks * 10;
        used[i] = SummaryNumber(tip, "Processor time");
    }
    const int64_t grown = used[1] - used[0];
    const int64_t linuxGrown = linux[1] - linux[0];
    // Each figure is shown to 0.1 s, so the growth read may be off by 0.1 s.
    Check(used[0] > 0 && std::abs(grown - linuxGrown) <= linuxGrown / 7 + 150,
          "while running: the processor time so far grows as Linux counts it",
          std::to_string(used[0]) + " -> " + std::to_string(used[1]) + " ms, Linux " +
              std::to_string(linux[0]) + " -> " + std::to_string(linux[1]) + " ms");
    brenk.Click(ButtonQuit);
    brenk.WaitStatus(StatusTerminated);

    if (!Open(brenk, TestProgramPath("grow_memory.exe"), "150 1500 " + UniqueToken("peak")) ||
        !StartMonitoring(brenk))
        return 1;
    brenk.WaitStatus(StatusTerminated);
    PollUntil([&] { return SummaryNumber(tip = Tooltip(brenk), "Exit code") >= 0; }, StepLimitMs);
    Check(SummaryNumber(tip, "Exit code") == 0, "the grower ended by itself", tip);
    Check(SummaryNumber(tip, "Peak working set") >= 150 * Megabyte,
          "the peak working set holds the 150 MB", tip);
    // Wine keeps no peak of an ended process: the one shown may miss a rise.
    Check(tip.find(" MiB (at the last pass, may be low)\r\n") != tip.npos,
          "a peak read at the last pass says so", tip);

    // The I/O totals: 64 MB written and read back, held a while so that a
    // pass reads its counters, which under Wine go with the process.
    if (!Open(brenk, TestProgramPath("write_read_file.exe"),
              "\"" + folder + "\\io.tmp\" 64 2500 " + UniqueToken("io")) ||
        !StartMonitoring(brenk))
        return 1;
    brenk.WaitStatus(StatusTerminated);
    PollUntil([&] { return SummaryNumber(tip = Tooltip(brenk), "Exit code") >= 0; }, StepLimitMs);
    Check(SummaryNumber(tip, "Exit code") == 0 && SummaryNumber(tip, "Written") >= 64 * Megabyte &&
              SummaryNumber(tip, "Read") >= 64 * Megabyte && SummaryNumber(tip, "Page faults") > 0,
          "the totals: 64 MB written and read back, and page faults", Quoted(tip));
    brenk.Close();
    return failures ? 1 : 0;
}

// Children=1 over a build: a parent of 32 MB runs eight compilers of 32 MB
// one after another, each for 1.2 s. The summary's peak is what was in
// memory at once, as Linux counts it (polled meanwhile), not the compilers'
// own peaks added up; and at least the RAM maximum the window showed.
int BuildTree() {
    const std::string folder = RunFolder("options_build_tree");
    const std::string token = UniqueToken("build");
    Brenk brenk;
    if (!StartWith(brenk, folder, "Children=1\r\n") ||
        !Open(brenk, TestProgramPath("spawn_children.exe"), "8 32 1200 " + token) ||
        !StartMonitoring(brenk))
        return 1;
    int64_t linuxMost = 0;
    PollUntil(
        [&] {
            const int64_t now = ReadTokenFigures(token).rssBytes;
            linuxMost = now > linuxMost ? now : linuxMost;
            return brenk.Status() == StatusTerminated;
        },
        60000, PollStepMs);
    brenk.WaitStatus(StatusTerminated, 0);
    std::string tip;
    PollUntil([&] { return SummaryNumber(tip = Tooltip(brenk), "Exit code") >= 0; }, StepLimitMs);
    const int64_t peak = SummaryNumber(tip, "Peak working set");
    const Readings shown = brenk.Values();
    Check(SummaryNumber(tip, "Exit code") == 0, "the build ended by itself", Quoted(tip));
    Check(shown.valid && shown.row[RamMaximum] >= 64 * Megabyte,
          "RAM maximum: the parent and a compiler together", Quoted(shown.text));
    // The peak is shown to 0.1 MB.
    Check(peak + Megabyte / 20 >= shown.row[RamMaximum] && peak <= linuxMost + 16 * Megabyte,
          "the peak: at least the RAM maximum, at most what was in memory at once",
          std::to_string(peak) + ", Linux at most " + std::to_string(linuxMost));
    Check(SummaryNumber(tip, "Page faults") > 0, "the tree's page faults are counted", Quoted(tip));
    brenk.Close();
    return failures ? 1 : 0;
}

struct Scenario {
    const char* name;
    int (*run)();
};

const Scenario Scenarios[] = {
    {"children", Children}, {"shell_burner", ShellBurner}, {"cpu_scale", CpuScale},
    {"log_file", LogFile},  {"summary", Summary},          {"build_tree", BuildTree},
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
    std::printf("usage: options_robot <scenario>\n");
    return 2;
}
