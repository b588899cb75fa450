// The reports of one run: the text for a person on the console, the JSON
// for a script. Both read the run's record and what only the console knows.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "measure/process_list.h"
#include "measure/run_record.h"
#include "services/text.h"

// Why a program never ran: it was not found, could not be started, or its
// arguments were refused. Nothing was started.
struct RunFailure {
    bool Failed = false;
    int64_t Code = -1;       // the system's error; -1: none (not found, refused)
    Text Reason;             // in words, as the console's line gives it
    int32_t ProgramBits = 0; // 32 or 64, from the program's header; 0: unknown
};

struct ConsoleRun {
    Text Command; // the command line as started (or the watched process's path)
    Text Program; // full path
    std::vector<Text> Arguments;
    bool Attached = false;  // a process watched by --pid, which brenkrun did not start
    bool ExitKnown = true; // false: watching by --pid was stopped first
    uint64_t RunMs = 0;
    uint64_t RunUs = 0;       // the same from the fine clock; 0: not taken
    uint64_t ProcessorBefore100ns = 0; // a watched process's time before watching began
    uint64_t User100ns = 0;   // since the start, or the attach
    uint64_t Kernel100ns = 0;
    int32_t Processors = 1;
    bool Children = false;
    int64_t Processes = 1; // how many were seen
    RunFacts Facts;
    RunFailure Failure;
    IoFigures Io;            // the program's, or with the tree the whole tree's
    ProcessList Tree;        // with the tree: each of its processes
    size_t ProcessRows = 10; // rows of the text report's table of processes; 0: all
};

// The captions of the text report, which the report of a benchmark shares.
enum ReportCaption : int32_t {
    CaptionCommand,
    CaptionExitCode,
    CaptionRunTime,
    CaptionProcessorTime,
    CaptionLoad,
    CaptionPeakWorkingSet,
    CaptionWorkingSet,
    CaptionPeakPrivate,
    CaptionPasses,
    CaptionCount
};

// A caption in the process's text; English, or German for any other language.
const char* ReportCaptionText(int8_t language, ReportCaption caption);

// The mean load over the run in the run's scale: the processor time over
// the run time, as the passes measure their load.
int64_t AverageLoad(const ConsoleRun& run);

// The text report, lines ending in "\r\n"; English, or German for any
// language but English. Memory grouped with dots as the window writes it;
// times in seconds to the millisecond with the language's decimal mark, as
// a grouped "22.425 ms" reads as 22 ms to an English reader.
Text RunReportText(int8_t language, const ConsoleRun& run);

// The JSON report: one object, one key per line, integers as numbers and
// what was not measured as null. A run that never started has its failure
// under "error" and no exit code.
Text RunReportJson(const ConsoleRun& run);

// The reason of a failed start as the console's line gives it:
// "error 193: <the system's words>; a 32-bit program", without what is unknown.
Text StartFailureWords(const RunFailure& failure);

// The failure as a JSON object: {"code", "message", "program_bits"}, null
// for what is unknown.
Text StartFailureJson(const RunFailure& failure);

// A JSON string of the process's text: in quotation marks, escaped, UTF-8.
Text JsonString(std::string_view text);
