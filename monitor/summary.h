// The texts of the opt-in settings: the log file's error, and the summary of
// an observation that the readings block shows as its tooltip and the log
// keeps as its last line.
#pragma once

#include <cstdint>

#include "monitor/state.h"

// Entries of a language's option texts.
enum OptionText : int32_t {
    OptionLogErrorStart = 0,
    OptionLogErrorEnd = 1,
    OptionProgram = 2,
    OptionRunTime = 3,
    OptionRunningFor = 4,
    OptionProcessorTime = 5,
    OptionExitCode = 6,
    OptionPeakWorkingSet = 7,
};
constexpr int32_t OptionTextCount = 8;

// The option texts of a language (ISO 8859-1); German for any value other
// than English.
const char* const* OptionTexts(int8_t language);

// Reads the three opt-in keys as the monitor keeps them: Children counts only
// when exactly 1 and CpuScale only when 0, 1 or 2; every other value is 0.
void ApplyOptions(MonitorState& state, int32_t children, int32_t cpuScale,
                  std::string_view logFile);

// The error text of a log file that cannot be written, the name as given:
// "Couldn´t write <name> !".
Text LogFileErrorText(int8_t language, std::string_view name);

// What the summary shows, in plain numbers.
struct SummaryFigures {
    bool ended = false;
    uint64_t runMs = 0;
    uint64_t processor100ns = 0;
    uint32_t exitCode = 0;
    int64_t peakWorkingSet = 0;
};

// An exit code as the summary shows it: below 0x80000000 in decimal; from
// there up, the system's status codes, in hexadecimal ("0xC0000005") and,
// for the common ways to crash, followed by the name in parentheses.
Text ExitCodeText(int8_t language, uint32_t code);

// The figures of a summary at tick now: a running program shows the time so
// far, an ended one the time up to its end.
SummaryFigures SummaryOf(const RunSummary& summary, uint64_t now);

// The summary as the tooltip shows it: one "caption : value" line each,
// joined by "\r\n", times in ms and memory in bytes grouped by dots. While the
// program runs only the time so far and the processor time so far.
Text SummaryTip(int8_t language, const SummaryFigures& figures);

// The summary as the log's last line: "# " and the same items joined by ", ",
// the numbers plain, ending in "\r\n".
Text SummaryLogLine(int8_t language, const SummaryFigures& figures);
