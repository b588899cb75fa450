#include "monitor/summary.h"

#include "monitor/readings.h"

namespace {

// ISO 8859-1; a literal is split after an escape that a letter a..f follows.
const char* const GermanOptionTexts[OptionTextCount] = {
    "Konnte <",
    "> nicht schreiben !",
    "Programm",
    "Laufzeit",
    "L\xE4uft seit",
    "Prozessorzeit",
    "Exit-Code",
    ("H\xF6"
     "chster Working-Set"),
};

const char* const EnglishOptionTexts[OptionTextCount] = {
    "Couldn\xB4t write <",
    "> !",
    "Program",
    "Run time",
    "Running for",
    "Processor time",
    "Exit code",
    "Peak working set",
};

constexpr uint64_t HundredsPerMs = 10'000;

struct SummaryItem {
    OptionText caption;
    int64_t value;
    const char* unit; // "" for a plain number
    bool grouped;     // digits grouped when the text is for the window
};

// The items in the order both forms show them.
int32_t SummaryItems(const SummaryFigures& figures, SummaryItem (&items)[4]) {
    const auto runMs = static_cast<int64_t>(figures.runMs);
    const auto processorMs = static_cast<int64_t>(figures.processor100ns / HundredsPerMs);
    items[0] = {figures.ended ? OptionRunTime : OptionRunningFor, runMs, " ms", true};
    items[1] = {OptionProcessorTime, processorMs, " ms", true};
    if (!figures.ended) return 2;
    items[2] = {OptionExitCode, figures.exitCode, "", false};
    items[3] = {OptionPeakWorkingSet, figures.peakWorkingSet, " Bytes", true};
    return 4;
}

Text JoinSummary(int8_t language, const SummaryFigures& figures, std::string_view separator,
                 bool forWindow) {
    const char* const* texts = OptionTexts(language);
    SummaryItem items[4];
    const int32_t count = SummaryItems(figures, items);
    Text joined;
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0) AppendText(joined, separator);
        AppendText(joined, texts[items[i].caption]);
        AppendText(joined, " : ");
        AppendText(joined, forWindow && items[i].grouped ? GroupDigits(items[i].value)
                                                         : IntegerToText(items[i].value));
        AppendText(joined, items[i].unit);
    }
    return joined;
}

} // namespace

const char* const* OptionTexts(int8_t language) {
    return language == English ? EnglishOptionTexts : GermanOptionTexts;
}

void ApplyOptions(MonitorState& state, int32_t children, int32_t cpuScale,
                  std::string_view logFile) {
    state.Options.Children = children == 1 ? 1 : 0;
    const bool known = cpuScale == CpuScaleMachine || cpuScale == CpuScaleOneOpen;
    state.Options.CpuScale = known ? static_cast<int8_t>(cpuScale) : int8_t{CpuScaleOneClamped};
    AssignText(state.Options.LogFile, logFile);
    // Only a tool that may log has an error 7; without the key the table
    // stays as it always was.
    if (!logFile.empty())
        AssignText(state.ErrorTexts[ErrorLogFile], LogFileErrorText(state.Language, logFile));
}

Text LogFileErrorText(int8_t language, std::string_view name) {
    const char* const* texts = OptionTexts(language);
    Text error = texts[OptionLogErrorStart];
    AppendText(error, name);
    AppendText(error, texts[OptionLogErrorEnd]);
    return error;
}

SummaryFigures SummaryOf(const RunSummary& summary, uint64_t now) {
    SummaryFigures figures;
    const uint64_t end = summary.EndTick.load();
    figures.ended = summary.Ended;
    const uint64_t until = end ? end : now;
    figures.runMs = until > summary.StartTick ? until - summary.StartTick : 0;
    figures.processor100ns = summary.ProcessorTime.load();
    figures.exitCode = summary.ExitCode;
    figures.peakWorkingSet = summary.PeakWorkingSet.load();
    return figures;
}

Text SummaryTip(int8_t language, const SummaryFigures& figures) {
    return JoinSummary(language, figures, "\r\n", true);
}

Text SummaryLogLine(int8_t language, const SummaryFigures& figures) {
    Text line = "# ";
    AppendText(line, JoinSummary(language, figures, ", ", false));
    AppendText(line, "\r\n");
    return line;
}
