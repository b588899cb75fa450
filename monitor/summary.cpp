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

// The system's codes for the ways a program most often dies; a program's own
// exit codes lie below 0x80000000.
struct ExitCodeName {
    uint32_t code;
    const char* english;
    const char* german;
};
const ExitCodeName ExitCodeNames[] = {
    {0xC0000005, "Access violation", "Zugriffsverletzung"},
    {0xC00000FD, "Stack overflow",
     "Stapel\xFC"
     "berlauf"},
    {0xC0000409, "Stack buffer overrun",
     "Stapelpuffer\xFC"
     "berlauf"},
    {0xC0000094, "Integer divide by zero", "Ganzzahlige Division durch null"},
    {0xC000001D, "Illegal instruction",
     "Ung\xFC"
     "ltiger Befehl"},
    {0xE06D7363, "Unhandled C++ exception", "Unbehandelte C++-Ausnahme"},
    {0xC000013A, "Ctrl+C", "Strg+C"},
    {0x80000003, "Breakpoint", "Haltepunkt"},
};
constexpr uint32_t FirstSystemCode = 0x80000000;

struct SummaryItem {
    OptionText caption;
    int64_t value;
    const char* unit; // "" for a plain number
    bool grouped;     // digits grouped when the text is for the window
    bool exitCode;    // the value is an exit code (ExitCodeText)
};

// The items in the order both forms show them.
int32_t SummaryItems(const SummaryFigures& figures, SummaryItem (&items)[4]) {
    const auto runMs = static_cast<int64_t>(figures.runMs);
    const auto processorMs = static_cast<int64_t>(figures.processor100ns / HundredsPerMs);
    items[0] = {figures.ended ? OptionRunTime : OptionRunningFor, runMs, " ms", true, false};
    items[1] = {OptionProcessorTime, processorMs, " ms", true, false};
    if (!figures.ended) return 2;
    items[2] = {OptionExitCode, figures.exitCode, "", false, true};
    items[3] = {OptionPeakWorkingSet, figures.peakWorkingSet, " Bytes", true, false};
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
        if (items[i].exitCode)
            AppendText(joined, ExitCodeText(language, static_cast<uint32_t>(items[i].value)));
        else
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

Text ExitCodeText(int8_t language, uint32_t code) {
    if (code < FirstSystemCode) return IntegerToText(code);
    Text text = "0x";
    for (int32_t shift = 28; shift >= 0; shift -= 4)
        text.push_back("0123456789ABCDEF"[(code >> shift) & 0xF]);
    for (const ExitCodeName& name : ExitCodeNames) {
        if (name.code != code) continue;
        AppendText(text, " (");
        AppendText(text, language == English ? name.english : name.german);
        AppendText(text, ")");
    }
    return text;
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
