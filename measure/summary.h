// The texts of the opt-in settings: the log file's error, and the summary of
// a run that the readings block shows as its tooltip and the log keeps as
// its last line, both read from the run's record.
#pragma once

#include <cstdint>
#include <optional>

#include "services/process_io.h"
#include "measure/run_record.h"
#include "measure/reading_types.h"
#include "services/text.h"

// Processor times count 100 ns units.
constexpr uint64_t HundredsPerMs = 10'000;

// Entries of a language's summary captions.
enum SummaryCaption : int32_t {
    SummaryProgram = 0,
    SummaryRunTime = 1,
    SummaryRunningFor = 2,
    SummaryProcessorTime = 3,
    SummaryExitCode = 4,
    SummaryPeakWorkingSet = 5,
    SummaryNotMeasured = 6, // stands for a figure that was never read
    SummaryRead = 7,
    SummaryWritten = 8,
    SummaryOtherIo = 9,
    SummaryPageFaults = 10,
    SummaryOperations = 11, // follows a count of operations
    SummaryProcess = 12,
    SummaryPid = 13,
    SummaryParentPid = 14,
    SummaryStart = 15,
    SummaryEnd = 16,
    SummaryRunning = 17, // the end of a process that has not ended
};
constexpr int32_t SummaryCaptionCount = 18;

// The captions of the summary and of the log's comment lines in a language
// (ISO 8859-1); German for any value other than English.
const char* const* SummaryCaptions(int8_t language);

// The error text of a log file that cannot be written, the name as given:
// "Couldn´t write <name> !".
Text LogFileErrorText(int8_t language, std::string_view name);

// What the summary shows, in plain numbers.
struct SummaryFigures {
    bool ended = false;
    uint64_t runMs = 0;
    uint64_t processor100ns = 0;
    uint32_t exitCode = 0;
    int64_t peakWorkingSet = -1; // bytes; -1: never measured
    // The peak was read at the last pass, not after the end: it may be low.
    bool peakAtLastPass = false;
    // The run's totals, the whole tree's with a job; shown only where the
    // caller hands them (-1 in them reads "not measured").
    std::optional<IoFigures> io;
};

// An exit code as the summary shows it: below 0x80000000 in decimal; from
// there up, the system's status codes, in hexadecimal ("0xC0000005") and,
// for the common ways to crash, followed by the name in parentheses.
Text ExitCodeText(int8_t language, uint32_t code);

// The figures of a run's summary at tick now: a running program shows the
// time so far, an ended one the time up to its end.
SummaryFigures SummaryOf(const RunFacts& facts, uint64_t now);

// A time as people read it, with the language's decimal mark and grouping:
// under a minute in seconds with one decimal ("22.4 s"), under an hour in
// minutes and seconds ("12 min 5 s"), then in hours and minutes ("26 h 3 min").
Text DurationText(int8_t language, uint64_t ms);

// A processor time in 100 ns units as seconds to the millisecond, with the
// language's decimal mark ("1.016 s"); a negative one is the caption for a
// figure never read.
Text MillisecondsAsSeconds(int8_t language, int64_t hundreds);

// Memory in MiB (2^20 bytes) with one decimal ("1,167.2 MiB"), from 10 GiB
// on in GiB; a negative count is the caption for a figure never read.
Text MemoryText(int8_t language, int64_t bytes);

// The summary as the tooltip shows it: one "caption : value" line each,
// joined by "\r\n", times and memory as DurationText and MemoryText give
// them. While the program runs only the time so far and the processor time
// so far.
Text SummaryTip(int8_t language, const SummaryFigures& figures);

// The tooltip of a start that failed: "Not started : " and why (the
// system's error and its text, or, when refused, that an argument cannot be
// handed to a batch file as given), then, for a Windows program, whether it
// is a 32-bit or a 64-bit one (bits 0: not shown).
struct StartFailure {
    uint32_t error = 0;
    Text systemText; // the system's words for error, in its own language
    int32_t bits = 0;
    bool batchRefused = false;
};
Text StartFailureTip(int8_t language, const StartFailure& failure);

// The summary as the log's last line: "# " and the same items joined by ", ",
// the numbers plain integers in ms and bytes, ending in "\r\n". Once the
// program has ended, and where the I/O totals are handed, both forms add what
// it read and wrote, the other I/O (each with its operations in parentheses
// where counted) and its page faults.
Text SummaryLogLine(int8_t language, const SummaryFigures& figures);

// The I/O items of both forms alone, joined by separator.
Text IoSummary(int8_t language, const IoFigures& io, std::string_view separator, bool forWindow);
