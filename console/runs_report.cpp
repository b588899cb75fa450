#include "console/runs_report.h"

#include <algorithm>

#include "measure/reading_types.h"
#include "measure/summary.h"
#include "services/encoding.h"

namespace {

// The words of both languages (ISO 8859-1) beside the single report's captions.
struct Words {
    const char* runs;
    const char* farRuns;
    const char* warmup;     // the caption of the note
    const char* warmupRuns; // after the number of runs
    const char* median;
    const char* to;
    const char* everyRun;
    const char* of;
    const char* notZero;
    const char* farRule;
    const char* firstRun;
    const char* firstRunEnd;
    const char* compared;
    const char* run;
    const char* warmingUp;
    const char* mean;
    const char* leftBefore;
    const char* leftAfter;
    char mark;
};

const Words EnglishWords = {
    "Runs",
    "Far runs",
    "Warm-up",
    " (warm-up: ",
    ", median ",
    " to ",
    " in every run",
    " of ",
    " runs other than 0, the last ",
    " (more than 3 scaled MAD from the median)",
    "the first run took ",
    " times the median; --warmup may help",
    "Compared with the first command (ratio of the means \xB1 standard deviation):",
    "run ",
    "warm-up ",
    ", mean ",
    ", ",
    " left",
    '.',
};

const Words GermanWords = {
    "L\xE4ufe",
    "Ausrei\xDF"
    "er",
    "Aufw\xE4rmen",
    " (Aufw\xE4rmen: ",
    ", Median ",
    " bis ",
    " bei jedem Lauf",
    " von ",
    " L\xE4ufe nicht 0, zuletzt ",
    " (mehr als 3 skalierte MAD vom Median)",
    "der erste Lauf brauchte das ",
    "-fache des Medians; --warmup hilft vielleicht",
    "Verglichen mit dem ersten Befehl (Verh\xE4ltnis der Mittelwerte \xB1 Standardabweichung):",
    "Lauf ",
    "Aufw\xE4rmen ",
    ", Mittel ",
    ", noch ",
    "",
    ',',
};

Words Localized(int8_t language) {
    Words words = language == English ? EnglishWords : GermanWords;
    for (const char** word :
         {&words.runs, &words.farRuns, &words.warmup, &words.warmupRuns, &words.median, &words.to,
          &words.everyRun, &words.of, &words.notZero, &words.farRule, &words.firstRun,
          &words.firstRunEnd, &words.compared, &words.run, &words.warmingUp, &words.mean,
          &words.leftBefore, &words.leftAfter})
        *word = StoredText(*word);
    return words;
}

constexpr ReportCaption FigureCaptions[FigureCount] = {CaptionRunTime, CaptionProcessorTime,
                                                       CaptionPeakWorkingSet, CaptionPeakPrivate};

// Under a second in milliseconds to the tenth, from there in seconds to the
// millisecond: a run's spread reads in the unit of the run.
void AppendTime(Text& text, double ms, char mark) {
    const bool seconds = ms >= 1000;
    AppendDecimal(text, seconds ? ms / 1000 : ms, seconds ? 3 : 1, mark);
    text += seconds ? " s" : " ms";
}

void AppendFigure(Text& text, int8_t language, RunFigure figure, double value, char mark) {
    if (figure == FigureRunTime || figure == FigureProcessorTime)
        AppendTime(text, value, mark);
    else
        text += MemoryText(language, static_cast<int64_t>(value + 0.5));
}

// "value \xB1 spread": a mean, or a ratio of means.
void AppendSpread(Text& text, int8_t language, RunFigure figure, double value, double spread,
                  char mark) {
    if (figure == FigureCount)
        AppendDecimal(text, value, 2, mark);
    else
        AppendFigure(text, language, figure, value, mark);
    text += StoredText(" \xB1 ");
    if (figure == FigureCount)
        AppendDecimal(text, spread, 2, mark);
    else
        AppendFigure(text, language, figure, spread, mark);
}

void AppendNotMeasured(Text& text, int8_t language) {
    text += SummaryCaptions(language)[SummaryNotMeasured];
}

// One value alone has no spread.
void AppendMean(Text& text, int8_t language, RunFigure figure, const Spread& spread, char mark) {
    if (spread.Count == 0)
        AppendNotMeasured(text, language);
    else if (spread.Count == 1)
        AppendFigure(text, language, figure, spread.Mean, mark);
    else
        AppendSpread(text, language, figure, spread.Mean, spread.Stddev, mark);
}

void AppendRatio(Text& text, int8_t language, const Benchmark& benchmark, size_t command,
                 RunFigure figure, char mark) {
    const Ratio ratio = RatioOf(FigureSpread(benchmark.Commands[command], figure),
                                FigureSpread(benchmark.Commands.front(), figure));
    if (ratio.Known)
        AppendSpread(text, language, FigureCount, ratio.Value, ratio.Stddev, mark);
    else
        AppendNotMeasured(text, language);
}

void AppendCount(Text& text, int64_t count) {
    text += IntegerToText(count);
}

// "caption   : " with the captions of a block in one column.
Text& Caption(Text& text, std::string_view caption, int32_t width) {
    text += caption;
    text.append(static_cast<size_t>(std::max(width - CharacterCount(caption), 0)), ' ');
    return text += " : ";
}

void AppendCommand(Text& text, int8_t language, const Words& words, int32_t width,
                   const Benchmark& benchmark, const BenchCommand& command) {
    Caption(text, ReportCaptionText(language, CaptionCommand), width) += command.Command;
    const auto count = static_cast<int64_t>(command.Runs.size());
    AppendCount(Caption(text += "\r\n", words.runs, width), count);
    if (count < benchmark.Runs) AppendCount(text += words.of, benchmark.Runs);
    if (benchmark.Warmup > 0) AppendCount(text += words.warmupRuns, benchmark.Warmup), text += ')';
    Text far;
    for (int32_t index = 0; index < FigureCount; ++index) {
        const auto figure = static_cast<RunFigure>(index);
        const Spread spread = FigureSpread(command, figure);
        const char* caption = ReportCaptionText(language, FigureCaptions[figure]);
        AppendMean(Caption(text += "\r\n", caption, width), language, figure, spread, words.mark);
        if (spread.Count > 1) {
            AppendFigure(text += words.median, language, figure, spread.Median, words.mark);
            AppendFigure(text += ", ", language, figure, spread.Min, words.mark);
            AppendFigure(text += words.to, language, figure, spread.Max, words.mark);
        }
        if (spread.Far == 0) continue;
        if (!far.empty()) far += ", ";
        AppendCount((far += caption) += ' ', spread.Far);
        AppendCount(far += words.of, spread.Count);
    }
    int64_t failed = 0;
    uint32_t last = 0;
    for (const ConsoleRun& run : command.Runs)
        if (run.Facts.ExitCode != 0) {
            ++failed;
            last = run.Facts.ExitCode;
        }
    Caption(text += "\r\n", ReportCaptionText(language, CaptionExitCode), width);
    if (command.Runs.empty()) {
        AppendNotMeasured(text, language);
    } else if (failed == 0) {
        (text += '0') += words.everyRun;
    } else {
        AppendCount(text, failed);
        AppendCount(text += words.of, count);
        (text += words.notZero) += ExitCodeText(language, last);
    }
    if (!far.empty()) (Caption(text += "\r\n", words.farRuns, width) += far) += words.farRule;
    if (FirstRunSlow(command)) {
        double first = 0;
        FigureOf(command.Runs.front(), FigureRunTime, &first);
        AppendDecimal(Caption(text += "\r\n", words.warmup, width) += words.firstRun,
                      first / FigureSpread(command, FigureRunTime).Median, 1, words.mark);
        text += words.firstRunEnd;
    }
    text += "\r\n";
}

} // namespace

Text RunsReportText(int8_t language, const Benchmark& benchmark) {
    const Words words = Localized(language);
    int32_t width = 0;
    for (const char* caption : {words.runs, words.farRuns, words.warmup})
        width = std::max(width, CharacterCount(caption));
    for (ReportCaption caption : {CaptionCommand, CaptionExitCode, CaptionRunTime,
                                  CaptionProcessorTime, CaptionPeakWorkingSet, CaptionPeakPrivate})
        width = std::max(width, CharacterCount(ReportCaptionText(language, caption)));
    Text text;
    for (const BenchCommand& command : benchmark.Commands) {
        if (!text.empty()) text += "\r\n";
        AppendCommand(text, language, words, width, benchmark, command);
    }
    if (!benchmark.Compare || benchmark.Commands.size() < 2) return text;
    ((text += "\r\n") += words.compared) += "\r\n";
    for (size_t index = 1; index < benchmark.Commands.size(); ++index) {
        (text += benchmark.Commands[index].Command) += " : ";
        for (RunFigure figure : {FigureRunTime, FigurePeakWorkingSet}) {
            if (figure != FigureRunTime) text += ", ";
            (text += ReportCaptionText(language, FigureCaptions[figure])) += StoredText(" \xD7 ");
            AppendRatio(text, language, benchmark, index, figure, words.mark);
        }
        text += "\r\n";
    }
    return text;
}

Text RunsReportMarkdown(int8_t language, const Benchmark& benchmark) {
    const Words words = Localized(language);
    Text table = "| ";
    (table += ReportCaptionText(language, CaptionCommand)) += " | ";
    table += words.runs;
    for (ReportCaption caption : FigureCaptions)
        (table += " | ") += ReportCaptionText(language, caption);
    if (benchmark.Compare)
        for (RunFigure figure : {FigureRunTime, FigurePeakWorkingSet})
            ((table += " | ") += ReportCaptionText(language, FigureCaptions[figure])) +=
                StoredText(" \xD7");
    table += benchmark.Compare ? " |\n|---|--:|--:|--:|--:|--:|--:|--:|\n"
                               : " |\n|---|--:|--:|--:|--:|--:|\n";
    for (size_t index = 0; index < benchmark.Commands.size(); ++index) {
        const BenchCommand& command = benchmark.Commands[index];
        // A bar would end the cell; in a table's code span it is escaped.
        table += "| `";
        for (char c : command.Command) {
            if (c == '|') table += '\\';
            table += c;
        }
        AppendCount(table += "` | ", static_cast<int64_t>(command.Runs.size()));
        for (int32_t figure = 0; figure < FigureCount; ++figure)
            AppendMean(table += " | ", language, static_cast<RunFigure>(figure),
                       FigureSpread(command, static_cast<RunFigure>(figure)), words.mark);
        if (benchmark.Compare)
            for (RunFigure figure : {FigureRunTime, FigurePeakWorkingSet}) {
                table += " | ";
                if (index == 0)
                    AppendDecimal(table, 1, 2, words.mark);
                else
                    AppendRatio(table, language, benchmark, index, figure, words.mark);
            }
        table += " |\n";
    }
    return table;
}

Text ProgressLine(int8_t language, std::string_view command, const RunsProgress& progress) {
    const Words words = Localized(language);
    Text line(command);
    line += ": ";
    line += progress.Warmup ? words.warmingUp : words.run;
    AppendCount(line, progress.Run);
    AppendCount(line += '/', progress.Runs);
    if (progress.Measured > 0) AppendTime(line += words.mean, progress.MeanMs, words.mark);
    if (!progress.LeftKnown) return line;
    ((line += words.leftBefore) += DurationText(language, progress.LeftMs)) += words.leftAfter;
    return line;
}
