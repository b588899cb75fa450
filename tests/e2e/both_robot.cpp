// both_robot: one workload (100 MB held, 1.5 s of processor time) watched by
// the window, through its log's summary, and by brenkrun, through its JSON:
// both measure through one core, so both give the same peak working set and
// processor time.
#include "tests/e2e/brenk_window.h"

#include <cstdlib>

namespace {

// The number after the caption in text; -1 when the caption is missing.
int64_t NumberAfter(const std::string& text, const std::string& caption) {
    const size_t at = text.find(caption);
    return at == std::string::npos ? -1 : std::atoll(text.c_str() + at + caption.size());
}

bool Near(int64_t a, int64_t b, int64_t percent) {
    return a > 0 && b > 0 && std::llabs(a - b) * 100 <= std::max(a, b) * percent;
}

int SameFigures() {
    const std::string folder = RunFolder("both_programs");
    const std::string log = folder + "\\both.csv";
    const std::string json = folder + "\\both.json";
    DeleteFileA(log.c_str());
    DeleteFileA(json.c_str());
    const std::string program = TestProgramPath("grow_memory.exe");
    const std::string workload = "100 1200 1500";

    Brenk brenk;
    if (!WriteWholeFile(folder + "\\Brenk.ini", EnglishIni() + "LogFile=both.csv\r\n") ||
        !brenk.Start(folder) || !brenk.WaitReady() || !brenk.UseRequester(program.c_str()) ||
        !brenk.WaitStatus(StatusOpened) ||
        !SetWindowTextTo(brenk.Control(FieldCommandLine), workload + " " + UniqueToken("window")) ||
        !StartMonitoring(brenk) || !brenk.WaitStatus(StatusTerminated, 20000))
        return 1;
    std::string summary;
    PollUntil(
        [&] {
            const std::string text = ReadWholeFile(log);
            const size_t at = text.rfind("# Run time : ");
            summary = at == std::string::npos ? "" : text.substr(at);
            return summary.find("\r\n") != std::string::npos;
        },
        StepLimitMs);
    brenk.Close();

    PROCESS_INFORMATION info{};
    const std::string command = "\"" + WindowsPath(BRENKRUN_EXE) + "\" --quiet --json both.json \"" +
                                program + "\" " + workload + " " + UniqueToken("console");
    if (!Check(StartProcess(command, folder.c_str(), &info), "brenkrun starts", command)) return 1;
    const bool ended = WaitForSingleObject(info.hProcess, 20000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    const std::string report = ReadWholeFile(json);
    if (!Check(ended && !report.empty(), "brenkrun reports", report)) return 1;

    const int64_t windowPeak = NumberAfter(summary, "Peak working set : ");
    const int64_t consolePeak = NumberAfter(report, "\"peak_working_set_bytes\": ");
    const int64_t windowTime = NumberAfter(summary, "Processor time : ");
    const int64_t consoleTime = NumberAfter(report, "\"processor_time_ms\": ");
    Check(windowPeak >= (100 << 20) && Near(windowPeak, consolePeak, 2),
          "the same peak working set (within 2 %)",
          std::to_string(windowPeak) + " and " + std::to_string(consolePeak));
    Check(windowTime >= 1400 && Near(windowTime, consoleTime, 5),
          "the same processor time (within 5 %)",
          std::to_string(windowTime) + " and " + std::to_string(consoleTime) + " ms");
    return failures ? 1 : 0;
}

} // namespace

int main() {
    return SameFigures();
}
