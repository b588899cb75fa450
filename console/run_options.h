// brenkrun's own command line: the options before the program, the program
// and its arguments, or the process to watch.
#pragma once

#include <cstdint>
#include <vector>

#include "services/text.h"

// brenkrun's own exit statuses; any other is the program's.
constexpr int32_t ExitUsage = 125;
constexpr int32_t ExitNotStarted = 126;
constexpr int32_t ExitNotFound = 127;

constexpr int32_t ShortestInterval = 50;
constexpr int32_t LongestInterval = 10000;
constexpr int32_t MostRuns = 10000;

struct RunOptions {
    int32_t IntervalMs = 1000;
    bool Children = false;
    int32_t ProcessRows = -1; // --processes: a count, 0 for all; -1: not given
    int8_t CpuScale = 0;
    Text LogFile;  // empty: no log
    Text JsonFile; // empty: none; "-": to standard error instead of the text
    Text PlotFile; // empty: none
    int32_t PlotWidth = 800;
    int32_t PlotHeight = 400;
    bool Quiet = false;
    uint32_t WatchedId = 0; // --pid; 0: a program is started
    bool Help = false;
    bool Version = false;
    // The benchmark: each command run Runs times (0: one run, reported alone)
    // after Warmup runs that are not measured.
    int32_t Runs = 0;
    int32_t Warmup = 0;
    Text Prepare;         // a command line run before every run; empty: none
    bool Compare = false; // Command holds whole command lines, one a word
    bool ShowOutput = false;
    bool IgnoreFailure = false;
    Text MarkdownFile;
    Text CsvFile;
    std::vector<Text> Command; // the program, then its arguments
};

// Reads the arguments after brenkrun's own name. Empty when they are sound;
// otherwise one line (without its end) saying what is wrong.
Text ParseRunOptions(const std::vector<Text>& arguments, RunOptions& options);

// Two of --log, --json, --plot, --markdown and --csv naming one file would
// have one output replace the other: the line naming both, or empty when
// each has its own. fullName: the file's full path as the system resolves it
// ("." and "..", the current folder); letter case counts for nothing. "-",
// standard error, and a device ("\\.\NUL") never clash.
Text SharedOutputProblem(const RunOptions& options, Text (*fullName)(const Text&));

// The one line of usage shown after an error.
const char* UsageLine();

// What --help prints.
const char* HelpText();
