#include "console/run_options.h"

#include <string_view>

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

enum class Takes { Nothing, Value };

struct Known {
    const char* name;
    Takes takes;
};
constexpr Known KnownOptions[] = {
    {"--interval", Takes::Value}, {"--children", Takes::Nothing}, {"--cpu-scale", Takes::Value},
    {"--log", Takes::Value},      {"--json", Takes::Value},       {"--plot", Takes::Value},
    {"--plot-size", Takes::Value}, {"--quiet", Takes::Nothing},   {"--pid", Takes::Value},
    {"--help", Takes::Nothing},   {"--version", Takes::Nothing},
};

// Takes one option with its value into options; empty when it is sound.
Text TakeOption(std::string_view name, std::string_view value, RunOptions& options) {
    int64_t number = 0;
    if (name == "--interval") {
        if (!ReadNumber(value, ShortestInterval, LongestInterval, &number))
            return Problem(name, " takes a number of milliseconds from 50 to 10000");
        options.IntervalMs = static_cast<int32_t>(number);
    } else if (name == "--cpu-scale") {
        if (!ReadNumber(value, 0, 2, &number)) return Problem(name, " takes 0, 1 or 2");
        options.CpuScale = static_cast<int8_t>(number);
    } else if (name == "--pid") {
        if (!ReadNumber(value, 1, 0xFFFFFFFF, &number))
            return Problem(name, " takes a process identifier");
        options.WatchedId = static_cast<uint32_t>(number);
    } else if (name == "--plot-size") {
        if (!ReadSize(value, &options.PlotWidth, &options.PlotHeight))
            return Problem(name, " takes WIDTHxHEIGHT, each 16 to 8192");
    } else if (name == "--log" || name == "--json" || name == "--plot") {
        if (value.empty()) return Problem(name, " takes a file name");
        AssignText(name == "--log" ? options.LogFile
                   : name == "--json" ? options.JsonFile
                                      : options.PlotFile,
                   value);
    } else if (name == "--children") {
        options.Children = true;
    } else if (name == "--quiet") {
        options.Quiet = true;
    } else if (name == "--help") {
        options.Help = true;
    } else {
        options.Version = true;
    }
    return Text();
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
        if (known->takes == Takes::Nothing) {
            if (equals != std::string_view::npos) return Problem(name, " takes no value");
        } else if (equals != std::string_view::npos) {
            value = word.substr(equals + 1);
        } else if (++at < arguments.size()) {
            value = arguments[at];
        } else {
            return Problem(name, " needs a value");
        }
        const Text problem = TakeOption(name, value, options);
        if (!problem.empty()) return problem;
        ++at;
    }
    options.Command.assign(arguments.begin() + static_cast<std::ptrdiff_t>(at), arguments.end());
    if (options.Help || options.Version) return Text();
    if (options.WatchedId != 0) {
        if (!options.Command.empty()) return "brenkrun: --pid watches a process; no program with it";
        // A process started by someone else cannot be put into a job of ours.
        if (options.Children) return "brenkrun: --children cannot watch a process by --pid";
        return Text();
    }
    if (options.Command.empty()) return "brenkrun: no program given";
    if (options.Command.front().empty()) return "brenkrun: the program's name is empty";
    return Text();
}

const char* UsageLine() {
    return "usage: brenkrun [OPTIONS] [--] PROGRAM [ARGUMENTS...] | brenkrun [OPTIONS] --pid ID";
}

const char* HelpText() {
    return "usage: brenkrun [OPTIONS] [--] PROGRAM [ARGUMENTS...]\n"
           "       brenkrun [OPTIONS] --pid ID\n"
           "Runs PROGRAM (or watches process ID until it ends) and reports its processor\n"
           "time and memory on standard error. Exit status: the program's exit code;\n"
           "125 usage error, 126 program not started, 127 program not found.\n"
           "  --interval MS     time between passes, 50 to 10000 (1000)\n"
           "  --children        the program and every process it starts\n"
           "  --cpu-scale 0|1|2 load of one processor 0..100, of the machine, or open\n"
           "  --log FILE        the readings log (CSV), as Brenk's LogFile writes it\n"
           "  --json FILE       the report as JSON into FILE (-: standard error instead\n"
           "                    of the text report)\n"
           "  --plot FILE.png   the run's history graph as PNG; when it cannot be\n"
           "                    written, the exit status stays the program's\n"
           "  --plot-size WxH   the graph's size in pixels, 16 to 8192 each (800x400)\n"
           "  --quiet           no text report\n"
           "  --pid ID          watch a running process; it is never ended, and Ctrl+C\n"
           "                    stops watching\n"
           "  --help, --version\n";
}
