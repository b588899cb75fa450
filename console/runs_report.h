// The reports of a benchmark (--runs): every command's runs and the
// statistics of their figures, as text for a person, as a Markdown table, as
// JSON and as CSV, and the progress line while the runs go on.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "console/run_report.h"
#include "console/run_statistics.h"
#include "services/text.h"

// The figures of a run that the statistics cover, in the reports' order.
enum RunFigure : int32_t {
    FigureRunTime,
    FigureProcessorTime,
    FigurePeakWorkingSet,
    FigurePeakPrivate,
    FigureCount
};

struct BenchCommand {
    Text Command;                 // as given, or composed from the program and its arguments
    std::vector<ConsoleRun> Runs; // the measured runs so far, in order
};

struct Benchmark {
    int32_t Runs = 0; // asked for, per command
    int32_t Warmup = 0;
    bool Compare = false;
    std::vector<BenchCommand> Commands;
    // A command that could not be started, which stopped the runs there.
    RunFailure Failure;
    Text FailedCommand;
};

// A run's figure in the unit of its JSON key (ms, bytes); false when it was
// not measured.
bool FigureOf(const ConsoleRun& run, RunFigure figure, double* value);
Spread FigureSpread(const BenchCommand& command, RunFigure figure);

// The first run much slower than the others: far from the median, above it.
bool FirstRunSlow(const BenchCommand& command);

// A number rounded to decimals places, with the decimal mark given, appended.
void AppendDecimal(Text& text, double value, int32_t decimals, char mark);

// Text, lines ending in "\r\n": a block per command, then with --compare
// each command against the first. English, or German for any language but
// English; times and memory with the language's marks.
Text RunsReportText(int8_t language, const Benchmark& benchmark);

// The statistics as one Markdown table, a row per command, in the language.
Text RunsReportMarkdown(int8_t language, const Benchmark& benchmark);

// {"runs", "warmup", "commands": [{"command", "runs": [the single report's
// object per run], "statistics", "relative" with --compare}]}, UTF-8.
Text RunsReportJson(const Benchmark& benchmark);

// A header, then one row per run, command by command; UTF-8.
Text RunsReportCsv(const Benchmark& benchmark);

// Where the runs are, for the progress line.
struct RunsProgress {
    bool Warmup = false; // a warm-up run, counted among the warm-up runs
    int32_t Run = 1;
    int32_t Runs = 1;
    int32_t Measured = 0; // the command's runs measured so far, and their mean
    double MeanMs = 0;
    bool LeftKnown = false;
    uint64_t LeftMs = 0;
};

// The progress line (without its end): the command, the run out of its
// runs, the mean run time so far and the time left, as far as known.
Text ProgressLine(int8_t language, std::string_view command, const RunsProgress& progress);
