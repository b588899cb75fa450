#include "console/runs_win.h"

#include <algorithm>

#include "console/command_words.h"
#include "console/console_out_win.h"
#include "console/run_win.h"
#include "console/runs_report.h"
#include "measure/summary.h"
#include "services/command_line.h"
#include "services/encoding.h"
#include "services/launch.h"
#include "services/processors.h"

namespace {

// A command's words into the run every run of it starts from: the program
// found, the line as given for its own runtime to split. False when the
// program is not found, which is said.
bool Find(const std::vector<Text>& words, const Text& line, ConsoleRun& run) {
    run.Program = FindProgram(words.front());
    if (run.Program.empty()) {
        run.Failure = {true, -1, "not found", 0};
        Fail(0, "brenkrun: " + words.front() + ": " + run.Failure.Reason);
        return false;
    }
    run.Command = line;
    run.Arguments = words;
    run.Arguments.erase(run.Arguments.begin());
    return true;
}

// The line kept up to date in place on a console; nothing elsewhere. With
// the programs' output shown, each line stays and the output follows it.
class Progress {
  public:
    Progress(bool wanted, bool keepLines) : keep_(keepLines) {
        const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        DWORD mode = 0;
        CONSOLE_SCREEN_BUFFER_INFO screen;
        if (!wanted || !GetConsoleMode(error, &mode)) return;
        width_ = 79;
        if (GetConsoleScreenBufferInfo(error, &screen))
            width_ = std::max(screen.srWindow.Right - screen.srWindow.Left, 20);
    }
    ~Progress() { Show(Text()); }

    // The line in place of the one before; empty, the one before goes.
    void Show(const Text& line) {
        if (width_ == 0 || (line.empty() && last_ == 0)) return;
        // A line longer than the console would wrap and no longer be
        // overwritten: it is cut, at a character's first byte.
        size_t end = 0;
        size_t characters = 0;
        for (; end < line.size() && characters < width_; ++characters)
            do
                ++end;
            while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80);
        // Blanks over the rest of the line before; the line ends where it
        // began, for the next to overwrite it.
        Text text = "\r" + line.substr(0, end);
        text.append(last_ > characters ? last_ - characters : 0, ' ');
        text += keep_ && !line.empty() ? "\r\n" : "\r";
        WriteTo(STD_ERROR_HANDLE, text);
        last_ = keep_ ? 0 : characters;
    }

  private:
    bool keep_;
    size_t width_ = 0; // 0: no console
    size_t last_ = 0;  // the characters on the line now
};

class Runner {
  public:
    explicit Runner(const RunOptions& options) : options_(options) {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        frequency_ = static_cast<uint64_t>(frequency.QuadPart);
        // The programs' standard handles: the input empty, the output and
        // error discarded, or the console's own with --show-output.
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        input_.reset(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherited, OPEN_EXISTING, 0, nullptr));
        discard_.reset(CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherited, OPEN_EXISTING, 0, nullptr));
        handles_[0] = input_.get();
        handles_[1] = handles_[2] = discard_.get();
        if (!options.ShowOutput) return;
        InheritStandardHandles(shared_);
        handles_[1] = shared_.Handles[1];
        handles_[2] = shared_.Handles[2];
    }

    // One run of a command, from the run it starts from, measured as a
    // single run is (watched: false, the prepare command, only waited for);
    // false when it could not be started, which is said and kept in run.
    bool Run(const ConsoleRun& first, ConsoleRun& run, bool watched) {
        run = first;
        StartRequest request;
        request.Path = run.Program.c_str();
        request.CommandLine = run.Command;
        request.InJob = watched && options_.Children;
        request.StandardHandles = handles_;
        // The run's time is the fine clock's from just before the start to
        // the end found; the tick starts the record's passes.
        LARGE_INTEGER start;
        const uint64_t startMs = GetTickCount64();
        QueryPerformanceCounter(&start);
        const StartedProcess started = StartProcess(std::move(request));
        if (!started.Process.valid()) {
            run.Failure = StartFailureOf(started.Error, run.Program);
            Fail(0, "brenkrun: " + run.Program + ": could not be started (" +
                        StartFailureWords(run.Failure) + ")");
            return false;
        }
        if (!watched) {
            WaitForSingleObject(started.Process.get(), INFINITE);
            DWORD code = 0;
            GetExitCodeProcess(started.Process.get(), &code);
            run.Facts.ExitCode = code;
            return true;
        }
        const auto counts = static_cast<uint64_t>(
            WatchRun(run, record_, options_, started.Process.get(), started.Job.get(),
                     started.Notices.get(), nullptr, startMs, nullptr) -
            start.QuadPart);
        run.RunUs = counts / frequency_ * 1'000'000 + counts % frequency_ * 1'000'000 / frequency_;
        run.RunMs = run.RunUs / 1000;
        return true;
    }

  private:
    const RunOptions& options_;
    uint64_t frequency_ = 1;
    OwnedHandle input_;
    OwnedHandle discard_;
    StandardHandles shared_;
    HANDLE handles_[3] = {};
    RunRecord record_;
};

// Why the runs ended before their last, after the run's name in the message.
enum Stop { StopNone, StopPrepare, StopFailed, StopInterrupted };
const char* const StopTexts[] = {"", ": the prepare command exited with ", " exited with ",
                                 ": stopped by Ctrl+C"};

// A report into its file, or with "-" on standard error.
void WriteReport(const Text& file, const Text& report) {
    if (file == "-")
        WriteTo(STD_ERROR_HANDLE, report);
    else if (!WriteFileText(file, report))
        Fail(0, "brenkrun: the report could not be written to " + file);
}

// The runs stop at a command that cannot be started; the reports say which and why.
int32_t Stopped(Benchmark& benchmark, const ConsoleRun& run, const Text& line, int32_t status) {
    benchmark.Failure = run.Failure;
    benchmark.FailedCommand = line;
    return status;
}

} // namespace

int32_t MeasureRuns(const RunOptions& options, HANDLE stop) {
    const int8_t language = ReportLanguage();
    Benchmark benchmark;
    benchmark.Runs = options.Runs;
    benchmark.Warmup = options.Warmup;
    benchmark.Compare = options.Compare;
    const size_t count = options.Compare ? options.Command.size() : 1;
    benchmark.Commands = std::vector<BenchCommand>(count);
    // The run each run of a command starts from: the last is the prepare command's.
    std::vector<ConsoleRun> first(count + 1);
    int32_t status = 0;
    for (size_t index = 0; index <= count; ++index) {
        const Text line = index == count    ? options.Prepare
                          : options.Compare ? options.Command[index]
                                            : ComposeCommand(options.Command);
        if (index < count) benchmark.Commands[index].Command = line;
        if (line.empty() || status != 0) continue;
        if (!Find(options.Compare || index == count ? SplitCommandLine(line) : options.Command,
                  line, first[index]))
            status = Stopped(benchmark, first[index], line, ExitNotFound);
        first[index].Children = options.Children;
        first[index].Processors = CountMachineProcessors();
    }

    Runner runner(options);
    // Nothing runs when a command was not found.
    const uint64_t steps =
        status != 0 ? 0 : static_cast<uint64_t>(options.Warmup + options.Runs) * count;
    Stop why = StopNone;
    RunsProgress where;
    size_t index = 0;
    {
        Progress progress(!options.Quiet, options.ShowOutput);
        const uint64_t began = GetTickCount64();
        for (uint64_t step = 0; step < steps && why == StopNone; ++step) {
            index = step % count;
            BenchCommand& command = benchmark.Commands[index];
            const auto round = static_cast<int32_t>(step / count);
            where.Warmup = round < options.Warmup;
            where.Run = where.Warmup ? round + 1 : round - options.Warmup + 1;
            where.Runs = where.Warmup ? options.Warmup : options.Runs;
            where.Measured = static_cast<int32_t>(command.Runs.size());
            where.MeanMs = 0;
            for (const ConsoleRun& measured : command.Runs)
                where.MeanMs += static_cast<double>(measured.RunUs) / 1000 / where.Measured;
            where.LeftKnown = step > 0;
            where.LeftMs = step > 0 ? (GetTickCount64() - began) * (steps - step) / step : 0;
            progress.Show(ProgressLine(language, command.Command, where));

            ConsoleRun run;
            if (!options.Prepare.empty()) {
                if (!runner.Run(first[count], run, false)) {
                    status = Stopped(benchmark, run, options.Prepare, ExitNotStarted);
                    break;
                }
                status = static_cast<int32_t>(run.Facts.ExitCode);
                if (status != 0 && !options.IgnoreFailure) {
                    why = StopPrepare;
                    break;
                }
            }
            if (!runner.Run(first[index], run, true)) {
                status = Stopped(benchmark, run, command.Command, ExitNotStarted);
                break;
            }
            status = static_cast<int32_t>(run.Facts.ExitCode);
            if (!where.Warmup) command.Runs.push_back(std::move(run));
            // Ctrl+C reached the program too, which may well exit with 0.
            if (status != 0 && !options.IgnoreFailure)
                why = StopFailed;
            else if (WaitForSingleObject(stop, 0) == WAIT_OBJECT_0)
                why = StopInterrupted;
            else
                status = 0;
        }
    }
    if (why == StopInterrupted && status == 0) status = static_cast<int32_t>(STATUS_CONTROL_C_EXIT);
    if (!options.Quiet && options.JsonFile != "-")
        WriteTo(STD_ERROR_HANDLE, RunsReportText(language, benchmark));
    if (!options.JsonFile.empty()) WriteReport(options.JsonFile, RunsReportJson(benchmark));
    if (!options.CsvFile.empty()) WriteReport(options.CsvFile, RunsReportCsv(benchmark));
    if (!options.MarkdownFile.empty())
        WriteReport(options.MarkdownFile, ToUtf8(RunsReportMarkdown(language, benchmark)));
    if (why == StopNone) return status;
    Text message = "brenkrun: " + benchmark.Commands[index].Command;
    message += where.Warmup ? ", warm-up run " : ", run ";
    message += IntegerToText(where.Run);
    message += " of ";
    message += IntegerToText(where.Runs);
    message += StopTexts[why];
    if (why != StopInterrupted) message += ExitCodeText(English, static_cast<uint32_t>(status));
    Fail(0, message + "; the runs stop here");
    return status;
}
