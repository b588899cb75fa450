#include "console/run_options.h"

#include <iterator>
#include <string_view>

#include "console/command_words.h"

namespace {

// A whole decimal number from low to high; false for anything else.
bool ReadNumber(std::string_view text, int64_t low, int64_t high, int64_t* value) {
    if (text.empty() || text.size() > 10) return false;
    int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    if (number < low || number > high) return false;
    *value = number;
    return true;
}

// "WxH", each side 16 to 8192 pixels.
bool ReadSize(std::string_view text, int32_t* width, int32_t* height) {
    const size_t x = text.find_first_of("xX");
    int64_t w = 0;
    int64_t h = 0;
    if (x == std::string_view::npos || !ReadNumber(text.substr(0, x), 16, 8192, &w) ||
        !ReadNumber(text.substr(x + 1), 16, 8192, &h))
        return false;
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    return true;
}

Text Problem(std::string_view option, std::string_view what) {
    Text line = "brenkrun: ";
    AppendText(line, option);
    AppendText(line, what);
    return line;
}

// The options by what they take: a number, a size, a command line, a file
// name, or nothing (a flag), in the order of the tables below.
enum Option : int8_t {
    OptionInterval,
    OptionCpuScale,
    OptionPid,
    OptionRuns,
    OptionWarmup,
    OptionPlotSize,
    OptionPrepare,
    OptionProcesses,
    OptionLog,
    OptionJson,
    OptionPlot,
    OptionMarkdown,
    OptionCsv,
    OptionChildren,
    OptionQuiet,
    OptionHelp,
    OptionVersion,
    OptionCompare,
    OptionShowOutput,
    OptionIgnoreFailure,
};

struct Known {
    const char* name;
    Option option;
};
constexpr Known KnownOptions[] = {
    {"--interval", OptionInterval},
    {"--children", OptionChildren},
    {"--processes", OptionProcesses},
    {"--cpu-scale", OptionCpuScale},
    {"--log", OptionLog},
    {"--json", OptionJson},
    {"--plot", OptionPlot},
    {"--plot-size", OptionPlotSize},
    {"--quiet", OptionQuiet},
    {"--pid", OptionPid},
    {"--help", OptionHelp},
    {"--version", OptionVersion},
    {"--runs", OptionRuns},
    {"--warmup", OptionWarmup},
    {"--prepare", OptionPrepare},
    {"--compare", OptionCompare},
    {"--show-output", OptionShowOutput},
    {"--ignore-failure", OptionIgnoreFailure},
    {"--markdown", OptionMarkdown},
    {"--csv", OptionCsv},
};

struct Range {
    int64_t low;
    int64_t high;
    const char* problem;
};
constexpr Range Ranges[] = {
    {ShortestInterval, LongestInterval, " takes a number of milliseconds from 50 to 10000"},
    {0, 2, " takes 0, 1 or 2"},
    {1, 0xFFFFFFFF, " takes a process identifier"},
    {2, MostRuns, " takes a number from 2 to 10000"},
    {0, MostRuns, " takes a number from 0 to 10000"},
};
Text RunOptions::*const Files[] = {&RunOptions::LogFile, &RunOptions::JsonFile,
                                   &RunOptions::PlotFile, &RunOptions::MarkdownFile,
                                   &RunOptions::CsvFile};
bool RunOptions::*const Flags[] = {
    &RunOptions::Children, &RunOptions::Quiet,      &RunOptions::Help,         &RunOptions::Version,
    &RunOptions::Compare,  &RunOptions::ShowOutput, &RunOptions::IgnoreFailure};

// Takes one option with its value into options; empty when it is sound.
Text TakeOption(std::string_view name, Option option, std::string_view value, RunOptions& options) {
    int64_t number = 0;
    if (option <= OptionWarmup) {
        const Range& range = Ranges[option];
        if (!ReadNumber(value, range.low, range.high, &number)) return Problem(name, range.problem);
        if (option == OptionInterval) options.IntervalMs = static_cast<int32_t>(number);
        if (option == OptionCpuScale) options.CpuScale = static_cast<int8_t>(number);
        if (option == OptionPid) options.WatchedId = static_cast<uint32_t>(number);
        if (option == OptionRuns) options.Runs = static_cast<int32_t>(number);
        if (option == OptionWarmup) options.Warmup = static_cast<int32_t>(number);
    } else if (option == OptionPlotSize) {
        if (!ReadSize(value, &options.PlotWidth, &options.PlotHeight))
            return Problem(name, " takes WIDTHxHEIGHT, each 16 to 8192");
    } else if (option == OptionPrepare) {
        if (SplitCommandLine(value).empty()) return Problem(name, " takes a command line");
        AssignText(options.Prepare, value);
    } else if (option == OptionProcesses) {
        if (value == "all")
            options.ProcessRows = 0;
        else if (ReadNumber(value, 1, 0x7FFFFFFF, &number))
            options.ProcessRows = static_cast<int32_t>(number);
        else
            return Problem(name, " takes a number of processes or all");
    } else if (option < OptionChildren) {
        if (value.empty()) return Problem(name, " takes a file name");
        AssignText(options.*Files[option - OptionLog], value);
    } else {
        options.*Flags[option - OptionChildren] = true;
    }
    return Text();
}

// What is wrong with the options taken together; null when nothing is.
const char* CombinationProblem(const RunOptions& options) {
    if (options.Runs > 0) {
        // A benchmark runs programs it starts itself, each many times: one
        // graph or log would mix the runs, and a running process cannot be
        // run again.
        if (options.WatchedId != 0 || !options.PlotFile.empty() || !options.LogFile.empty())
            return "brenkrun: --pid, --plot and --log cannot be used with --runs";
        if (options.Compare) {
            if (options.Command.size() < 2)
                return "brenkrun: --compare takes two command lines or more";
            for (const Text& line : options.Command) {
                const std::vector<Text> words = SplitCommandLine(line);
                if (words.empty() || words.front().empty())
                    return "brenkrun: --compare: a command line without a program";
            }
            return nullptr;
        }
    } else if (options.Warmup > 0 || !options.Prepare.empty() || options.Compare ||
               options.ShowOutput || options.IgnoreFailure || !options.MarkdownFile.empty() ||
               !options.CsvFile.empty()) {
        return "brenkrun: --warmup, --prepare, --compare, --show-output, --ignore-failure, "
               "--markdown and --csv belong to --runs";
    } else if (options.WatchedId != 0) {
        if (!options.Command.empty())
            return "brenkrun: --pid watches a process; no program with it";
        // A process started by someone else cannot be put into a job of ours.
        if (options.Children) return "brenkrun: --children cannot watch a process by --pid";
        return nullptr;
    }
    if (options.ProcessRows >= 0 && !options.Children)
        return "brenkrun: --processes belongs to --children";
    if (options.Command.empty()) return "brenkrun: no program given";
    if (options.Command.front().empty()) return "brenkrun: the program's name is empty";
    return nullptr;
}

} // namespace

Text ParseRunOptions(const std::vector<Text>& arguments, RunOptions& options) {
    size_t at = 0;
    while (at < arguments.size()) {
        const std::string_view word = arguments[at];
        if (word == "--") {
            ++at;
            break;
        }
        // The first word that is no option is the program; what follows is its own.
        if (word.size() < 2 || word[0] != '-') break;
        const size_t equals = word.find('=');
        const std::string_view name = word.substr(0, equals);
        const Known* known = nullptr;
        for (const Known& option : KnownOptions)
            if (name == option.name) known = &option;
        if (!known) return Problem(name, ": no such option");
        std::string_view value;
        if (known->option >= OptionChildren) {
            if (equals != std::string_view::npos) return Problem(name, " takes no value");
        } else if (equals != std::string_view::npos) {
            value = word.substr(equals + 1);
        } else if (++at < arguments.size()) {
            value = arguments[at];
        } else {
            return Problem(name, " needs a value");
        }
        const Text problem = TakeOption(name, known->option, value, options);
        if (!problem.empty()) return problem;
        ++at;
    }
    options.Command.assign(arguments.begin() + static_cast<std::ptrdiff_t>(at), arguments.end());
    if (options.Help || options.Version) return Text();
    return Text(TextView(CombinationProblem(options)));
}

Text SharedOutputProblem(const RunOptions& options, Text (*fullName)(const Text&)) {
    constexpr const char* Names[] = {"--log", "--json", "--plot", "--markdown", "--csv"};
    Text folded[std::size(Files)];
    for (size_t index = 0; index < std::size(Files); ++index) {
        const Text& file = options.*Files[index];
        if (file.empty() || file == "-") continue;
        folded[index] = fullName(file);
        if (folded[index].starts_with("\\\\.\\")) {
            folded[index].clear();
            continue;
        }
        for (char& c : folded[index])
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        for (size_t before = 0; before < index; ++before)
            if (folded[before] == folded[index])
                return Problem(Names[before], Text(" and ") + Names[index] + " name one file, " +
                                                  file + "; each needs its own");
    }
    return Text();
}

const char* UsageLine() {
    return "usage: brenkrun [OPTIONS] [--] PROGRAM [ARGUMENTS...] | brenkrun [OPTIONS] --pid ID | "
           "brenkrun --runs N [OPTIONS] --compare LINE LINE...";
}

const char* HelpText() {
    return "usage: brenkrun [OPTIONS] [--] PROGRAM [ARGUMENTS...]\n"
           "       brenkrun [OPTIONS] --pid ID\n"
           "       brenkrun --runs N [OPTIONS] [--] PROGRAM [ARGUMENTS...]\n"
           "       brenkrun --runs N [OPTIONS] --compare LINE LINE [LINE...]\n"
           "Runs PROGRAM (or watches process ID until it ends) and reports its processor\n"
           "time and memory on standard error. Exit status: the program's exit code;\n"
           "125 usage error, 126 program not started, 127 program not found.\n"
           "  --interval MS     time between passes, 50 to 10000 (1000)\n"
           "  --children        the program and every process it starts\n"
           "  --processes N|all the processes shown with --children, largest peak\n"
           "                    working set first (10)\n"
           "  --cpu-scale 0|1|2 load of one processor 0..100, of the machine, or open\n"
           "  --log FILE        the readings log (CSV), as Brenk's LogFile writes it\n"
           "  --json FILE       the report as JSON into FILE (-: standard error instead\n"
           "                    of the text report)\n"
           "  --plot FILE.png   the run's history graph as PNG; when it cannot be\n"
           "                    written, the exit status stays the program's\n"
           "  --plot-size WxH   the graph's size in pixels, 16 to 8192 each (800x400)\n"
           "  --quiet           no text report (and with --runs no progress line)\n"
           "  --pid ID          watch a running process; it is never ended, and Ctrl+C\n"
           "                    stops watching\n"
           "With --runs, each command runs N times, in turns, with no input and its output\n"
           "discarded; a run that exits other than 0 stops them with its exit code:\n"
           "  --runs N          runs per command, 2 to 10000\n"
           "  --warmup K        unmeasured runs of each command first (0)\n"
           "  --prepare LINE    a command line run before every run, unmeasured\n"
           "  --compare         each word after the options a command line, set against\n"
           "                    the first\n"
           "  --show-output     the programs' output shown\n"
           "  --ignore-failure  a failed run does not stop the runs\n"
           "  --markdown FILE   the statistics as a Markdown table\n"
           "  --csv FILE        one row per run\n"
           "  --help, --version\n"
           "The user guide (user-guide.md, in the package) explains every option, line of\n"
           "the report and JSON key.\n";
}
