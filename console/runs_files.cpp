// The figures of the runs, and the reports for scripts: JSON and CSV.
#include "console/runs_report.h"

#include <cmath>

#include "measure/summary.h"
#include "services/encoding.h"

namespace {

// The JSON keys and CSV columns of the figures.
constexpr const char* FigureKeys[FigureCount] = {"run_time_ms", "processor_time_ms",
                                                 "peak_working_set_bytes", "peak_private_bytes"};
// Times to the microsecond, bytes whole.
constexpr int32_t FigureDecimals[FigureCount] = {3, 3, 0, 0};

// A figure as a JSON number; null when not measured.
void AppendNumber(Text& json, bool known, double value, int32_t decimals) {
    if (known)
        AppendDecimal(json, value, decimals, '.');
    else
        json += "null";
}

// The single report's object, its lines indented to stand in an array.
Text Indented(const Text& json, std::string_view indent) {
    Text text(indent);
    for (size_t i = 0; i < json.size(); ++i) {
        text += json[i];
        if (json[i] == '\n' && i + 1 < json.size()) AppendText(text, indent);
    }
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

void AppendStatistics(Text& json, const BenchCommand& command) {
    json += "      \"statistics\": {\n";
    for (int32_t index = 0; index < FigureCount; ++index) {
        const Spread spread = FigureSpread(command, static_cast<RunFigure>(index));
        const bool known = spread.Count > 0;
        const int32_t decimals = FigureDecimals[index];
        ((json += "        \"") += FigureKeys[index]) += "\": {\"mean\": ";
        AppendNumber(json, known, spread.Mean, decimals);
        AppendNumber(json += ", \"stddev\": ", spread.Count > 1, spread.Stddev, decimals);
        AppendNumber(json += ", \"median\": ", known, spread.Median, decimals);
        AppendNumber(json += ", \"min\": ", known, spread.Min, decimals);
        AppendNumber(json += ", \"max\": ", known, spread.Max, decimals);
        json += index + 1 < FigureCount ? "},\n" : "}\n";
    }
    json += "      }";
}

// Each command's mean run time and peak against the first command's; the
// first's own are 1, without spread.
void AppendRelative(Text& json, const Benchmark& benchmark, size_t command) {
    json += ",\n      \"relative\": {";
    for (RunFigure figure : {FigureRunTime, FigurePeakWorkingSet}) {
        const char* key = figure == FigureRunTime ? "run_time" : "peak_working_set";
        const Spread base = FigureSpread(benchmark.Commands[0], figure);
        Ratio ratio = RatioOf(FigureSpread(benchmark.Commands[command], figure), base);
        if (command == 0) ratio = {base.Count > 0, 1, 0};
        if (figure != FigureRunTime) json += ", ";
        AppendNumber(((json += '"') += key) += "\": ", ratio.Known, ratio.Value, 4);
        AppendNumber(((json += ", \"") += key) += "_stddev\": ", ratio.Known, ratio.Stddev, 4);
    }
    json += "}";
}

} // namespace

bool FigureOf(const ConsoleRun& run, RunFigure figure, double* value) {
    switch (figure) {
    case FigureRunTime:
        *value =
            run.RunUs > 0 ? static_cast<double>(run.RunUs) / 1000 : static_cast<double>(run.RunMs);
        return true;
    case FigureProcessorTime:
        *value = static_cast<double>(run.Facts.ProcessorTime) / HundredsPerMs;
        return true;
    case FigurePeakWorkingSet:
        *value = static_cast<double>(run.Facts.PeakWorkingSet);
        return run.Facts.PeakWorkingSet >= 0;
    default:
        *value = static_cast<double>(run.Facts.PeakPrivateBytes);
        return run.Facts.PeakPrivateBytes >= 0;
    }
}

Spread FigureSpread(const BenchCommand& command, RunFigure figure) {
    std::vector<double> values;
    double value = 0;
    for (const ConsoleRun& run : command.Runs)
        if (FigureOf(run, figure, &value)) values.push_back(value);
    return SpreadOf(std::move(values));
}

bool FirstRunSlow(const BenchCommand& command) {
    if (command.Runs.empty()) return false;
    const Spread spread = FigureSpread(command, FigureRunTime);
    double first = 0;
    FigureOf(command.Runs.front(), FigureRunTime, &first);
    return first > spread.Median && IsFar(spread, first);
}

void AppendDecimal(Text& text, double value, int32_t decimals, char mark) {
    int64_t scale = 1;
    for (int32_t i = 0; i < decimals; ++i)
        scale *= 10;
    const auto scaled = static_cast<int64_t>(std::fabs(value) * static_cast<double>(scale) + 0.5);
    if (value < 0 && scaled > 0) text += '-';
    text += IntegerToText(scaled / scale);
    if (decimals == 0) return;
    text += mark;
    text += TextPart(IntegerToText(scale + scaled % scale), 2, decimals);
}

Text RunsReportJson(const Benchmark& benchmark) {
    Text json = "{\n  \"runs\": ";
    json += IntegerToText(benchmark.Runs);
    json += ",\n  \"warmup\": ";
    json += IntegerToText(benchmark.Warmup);
    if (benchmark.Failure.Failed) {
        json += ",\n  \"error\": {\"command\": ";
        json += JsonString(benchmark.FailedCommand);
        (json += ", ") += StartFailureJson(benchmark.Failure).substr(1);
    }
    json += ",\n  \"commands\": [";
    for (size_t index = 0; index < benchmark.Commands.size(); ++index) {
        const BenchCommand& command = benchmark.Commands[index];
        json += index > 0 ? ",\n    {\n      \"command\": " : "\n    {\n      \"command\": ";
        json += JsonString(command.Command);
        json += ",\n      \"runs\": [";
        for (size_t run = 0; run < command.Runs.size(); ++run) {
            json += run > 0 ? ",\n" : "\n";
            json += Indented(RunReportJson(command.Runs[run]), "        ");
        }
        json += command.Runs.empty() ? "],\n" : "\n      ],\n";
        AppendStatistics(json, command);
        if (benchmark.Compare) AppendRelative(json, benchmark, index);
        json += "\n    }";
    }
    json += benchmark.Commands.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return json;
}

Text RunsReportCsv(const Benchmark& benchmark) {
    Text csv = "command,run,exit_code,run_time_ms,processor_time_ms,user_time_ms,kernel_time_ms,"
               "peak_working_set_bytes,peak_private_bytes,processes\r\n";
    for (const BenchCommand& command : benchmark.Commands) {
        // Quoted, each quotation mark doubled; the rest of the row needs no quoting.
        Text quoted = "\"";
        for (char c : ToUtf8(command.Command)) {
            if (c == '"') quoted += '"';
            quoted += c;
        }
        quoted += "\",";
        for (size_t run = 0; run < command.Runs.size(); ++run) {
            const ConsoleRun& measured = command.Runs[run];
            csv += quoted;
            csv += IntegerToText(static_cast<int64_t>(run + 1));
            csv += ',';
            csv += IntegerToText(measured.Facts.ExitCode);
            for (int32_t index = 0; index < FigureCount; ++index) {
                double value = 0;
                csv += ',';
                if (FigureOf(measured, static_cast<RunFigure>(index), &value))
                    AppendDecimal(csv, value, FigureDecimals[index], '.');
                if (index != FigureProcessorTime) continue;
                for (uint64_t time : {measured.User100ns, measured.Kernel100ns}) {
                    csv += ',';
                    csv += IntegerToText(static_cast<int64_t>(time / HundredsPerMs));
                }
            }
            csv += ',';
            csv += IntegerToText(measured.Processes);
            csv += "\r\n";
        }
    }
    return csv;
}
