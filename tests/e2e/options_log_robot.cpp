// options_robot log_file: the readings log as brenk.exe writes it, checked
// against the window's own figures.
#include "tests/e2e/options_robot.h"

#include <cstdio>

namespace {

// LogFile: one row per pass equal to the window's figures, a comment line per
// start and a summary line per end; a second start appends, and ends with the
// session (logging off), which ends the program and writes the summary line
// before Brenk answers. The test's command limits every file brenk writes to
// FileSizeLimit bytes, so that a log can fill up as on a full disk.
constexpr size_t FileSizeLimit = 65536;

} // namespace

int LogFile() {
    const std::string folder = RunFolder("options_log");
    const std::string log = folder + "\\readings.csv";
    DeleteFileA(log.c_str());
    std::vector<Readings> shown;
    Brenk brenk;
    const std::string commandLine = "60000 " + UniqueToken("log");
    if (!StartWith(brenk, folder, "Children=1\r\nLogFile=readings.csv\r\n") ||
        !Open(brenk, TestProgramPath("burn_user.exe"), commandLine))
        return 1;
    for (int run = 1; run <= 2; ++run) {
        if (!StartMonitoring(brenk)) return 1;
        // A steady burner can read the same at two passes in a row, which
        // the robot cannot tell from no pass: it watches up to eight passes
        // for three different readings.
        std::string before;
        size_t seen = 0;
        for (int pass = 0; pass < 8 && seen < 3; ++pass) {
            const Readings row = NextPass(brenk, before);
            if (row.valid && row.changed) {
                shown.push_back(row);
                ++seen;
            }
        }
        if (run == 1) {
            brenk.Click(ButtonQuit);
            brenk.WaitStatus(StatusTerminated);
            continue;
        }
        const Handle burner = brenk.WaitChild("burn_user.exe");
        DWORD_PTR allowed = 0;
        SendMessageTimeoutA(brenk.window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                            SMTO_ABORTIFHUNG, AnswerTimeoutMs, &allowed);
        SendMessageTimeoutA(brenk.window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                            StepLimitMs, nullptr);
        DWORD code = 0;
        GetExitCodeProcess(burner.value, &code);
        const std::string now = ReadWholeFile(log);
        const std::string last = now.substr(now.rfind("\r\n", now.size() - 3) + 2);
        Check(allowed == TRUE && code == KilledExitCode && last.rfind("# Run time : ", 0) == 0,
              "logging off: when Brenk answers, the program has ended and the log is summed up",
              std::to_string(code) + " " + last);
    }
    const std::vector<std::string> lines = Split(ReadWholeFile(log), "\r\n");
    Check(!lines.empty() && lines[0] == "Time,Milliseconds,CPU Current,CPU Minimum,CPU Maximum,"
                                        "RAM Current,RAM Minimum,RAM Maximum",
          "the log begins with its header", lines.empty() ? "" : lines[0]);
    const std::string started =
        "# Program : \"" + TestProgramPath("burn_user.exe") + "\" " + commandLine;
    int starts = 0;
    int summaries = 0;
    int headers = 0;
    int processes = 0; // the burner's own line, ended by Quit or the session, before each summary
    size_t matched = 0;
    for (size_t at = 0; at < lines.size(); ++at) {
        const std::string& line = lines[at];
        if (line.rfind("Time,", 0) == 0) ++headers;
        if (line.rfind("# Process : burn_user.exe, PID : ", 0) == 0 &&
            line.find(", End : ") != line.find(", End : running") &&
            line.find("Exit code : 0xFFFFFFFF,") != line.npos && at + 1 < lines.size() &&
            lines[at + 1].rfind("# Run time : ", 0) == 0)
            ++processes;
        if (line == started) ++starts;
        if (line.rfind("# Run time : ", 0) == 0 &&
            line.find("Exit code : 0xFFFFFFFF,") != std::string::npos)
            ++summaries;
        const std::vector<std::string> fields = Split(line, ",");
        if (fields.size() != 8 || line[0] == '#' || line.rfind("Time,", 0) == 0) continue;
        // Every pass the robot saw is a row, in order; the robot may have
        // missed a pass, the log may not.
        if (matched < shown.size()) {
            const Readings& row = shown[matched];
            const int64_t csv[6] = {std::atoll(fields[3].c_str()), std::atoll(fields[4].c_str()),
                                    std::atoll(fields[6].c_str()), std::atoll(fields[7].c_str()),
                                    std::atoll(fields[2].c_str()), std::atoll(fields[5].c_str())};
            bool same = true;
            for (int i = 0; i < 6; ++i)
                same = same && csv[i] == row.row[i];
            if (same) ++matched;
        }
    }
    Check(headers == 1 && starts == 2 && summaries == 2 && processes == 2,
          "one header, a start line, the ended burner's line and a summary line per start",
          std::to_string(headers) + " " + std::to_string(starts) + " " +
              std::to_string(processes) + " " + std::to_string(summaries));
    Check(matched == shown.size() && shown.size() >= 4, "every reading seen is a row of the log",
          std::to_string(matched) + " of " + std::to_string(shown.size()));
    brenk.Close();

    // Error 7 once, then the observation runs: for a log that cannot be
    // opened, and for one that stops taking lines midway, as on a full disk.
    // That one is filled to just below the limit, ending in a row torn by an
    // earlier fault, with room for the run's first line and two rows.
    const std::string program = TestProgramPath("burn_user.exe");
    std::string torn = "Time\r\n";
    while (torn.size() + 190 + program.size() + commandLine.size() < FileSizeLimit)
        torn += "2026-01-01T00:00:00,1000,0,0,0,1000,1000,1000\r\n";
    torn += "2026-01-01T00:00:01,2000,0,0,0,28303360,28303";
    Check(!WriteWholeFile(folder + "\\full.csv", std::string(FileSizeLimit + 1, '#')) &&
              WriteWholeFile(folder + "\\full.csv", torn),
          "the file-size limit holds");
    for (const std::string bad : {"no such folder\\readings.csv", "full.csv"}) {
        Brenk second;
        if (!StartWith(second, folder, "LogFile=" + bad + "\r\n") ||
            !Open(second, program, commandLine) || !second.Click(ButtonStart) ||
            !second.AnswerErrorBox("Couldn\xB4t write <" + bad + "> !") ||
            !second.WaitStatus(StatusRunning))
            return 1;
        // The readings of a steady burner may repeat, but each pass renews
        // the summary's running time.
        std::string values;
        const bool shown = NextPass(second, values).valid;
        const int64_t ranBefore = SummaryNumber(Tooltip(second), "Running for");
        int64_t ranAfter = ranBefore;
        PollUntil(
            [&] { return (ranAfter = SummaryNumber(Tooltip(second), "Running for")) > ranBefore; },
            StepLimitMs);
        Check(shown && ranBefore >= 0 && ranAfter > ranBefore,
              "the observation runs without its log",
              std::to_string(ranBefore) + " -> " + std::to_string(ranAfter) + " ms");
        Check(second.FindWindowOf(ErrorBoxTitle) == nullptr, "no second error box");
        second.Click(ButtonQuit);
        second.WaitStatus(StatusTerminated);
        second.Close();
    }
    // The torn row was ended first; what the full disk took of the row that
    // did not fit stays, as the log is only ever appended to.
    const std::string full = ReadWholeFile(folder + "\\full.csv");
    Check(full.compare(0, torn.size() + 14, torn + "\r\n# Program : ") == 0 &&
              full.size() == FileSizeLimit,
          "a full log: the run begins on a line of its own, and nothing is cut off again",
          Quoted(full.substr(torn.size() - 10, 30)) + " ... " +
              Quoted(full.substr(full.size() - 30)));
    return failures ? 1 : 0;
}
