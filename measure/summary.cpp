#include "measure/summary.h"

#include "measure/texts.h"
#include "services/encoding.h"
#include "services/text.h"

namespace {

// ISO 8859-1; a literal is split after an escape that a letter a..f follows.
const char* const GermanCaptions[SummaryCaptionCount] = {
    "Programm",
    "Laufzeit",
    "L\xE4uft seit",
    "Prozessorzeit",
    "Exit-Code",
    ("H\xF6"
     "chster Working-Set"),
    "nicht gemessen",
    "Gelesen",
    "Geschrieben",
    "Andere E/A",
    "Seitenfehler",
    "Vorg\xE4nge",
    "Prozess",
    "PID",
    "Eltern-PID",
    "Start",
    "Ende",
    "l\xE4uft",
};

const char* const EnglishCaptions[SummaryCaptionCount] = {
    "Program",   "Run time",         "Running for",  "Processor time",
    "Exit code", "Peak working set", "not measured", "Read",
    "Written",   "Other I/O",        "Page faults",  "operations",
    "Process",   "PID",              "Parent PID",   "Start",
    "End",       "running",
};

// The error of a log file that cannot be written: before and after its name.
const char* const LogErrorTexts[2][2] = {
    {"Konnte <", "> nicht schreiben !"},
    {"Couldn\xB4t write <", "> !"},
};

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
    {0xC0000409, "Stack buffer overrun or fail-fast",
     "Stapelpuffer\xFC"
     "berlauf oder Schnellabbruch"},
    {0xC0000094, "Integer divide by zero", "Ganzzahlige Division durch null"},
    {0xC000001D, "Illegal instruction",
     "Ung\xFC"
     "ltiger Befehl"},
    {0xE06D7363, "Unhandled C++ exception", "Unbehandelte C++-Ausnahme"},
    {0xC000013A, "Ctrl+C", "Strg+C"},
    {0x80000003, "Breakpoint", "Haltepunkt"},
    {0xC0000135, "A DLL was not found", "Eine DLL wurde nicht gefunden"},
    {0xC0000139, "An entry point was not found", "Ein Einsprungpunkt wurde nicht gefunden"},
    {0xC000007B, "Bad image, or 32- and 64-bit mixed",
     "Ung\xFC"
     "ltiges Abbild oder 32 und 64 Bit gemischt"},
    {0xC0000142, "A DLL failed to initialise",
     "Eine DLL lie\xDF"
     " sich nicht initialisieren"},
    {0xC0000017, "Out of memory", "Kein Speicher mehr"},
};
constexpr uint32_t FirstSystemCode = 0x80000000;

// A start that failed, in each language: German, English.
struct FailureWords {
    const char* notStarted;
    const char* error;
    const char* batch;
    const char* bitsBefore;
    const char* bitsAfter;
};
const FailureWords FailureTexts[2] = {
    {"Nicht gestartet", "Fehler",
     "ein Argument enth\xE4lt \", % oder einen Zeilenumbruch, was eine Batch-Datei nicht "
     "unver\xE4ndert erhielte",
     "Ein ", "-Bit-Programm"},
    {"Not started", "error",
     "an argument holds \", % or a line break, which a batch file would not get as given", "A ",
     "-bit program"},
};

// The language's way to write a number: its grouping and decimal mark.
struct NumberMarks {
    char group;
    char decimal;
};
NumberMarks MarksOf(int8_t language) {
    return language == English ? NumberMarks{',', '.'} : NumberMarks{'.', ','};
}

Text Grouped(uint64_t value, char group) {
    const Text digits = IntegerToText(static_cast<int64_t>(value));
    Text grouped;
    const size_t count = digits.size();
    for (size_t i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) grouped.push_back(group);
        grouped.push_back(digits[i]);
    }
    return grouped;
}

// tenths as "whole<decimal>tenth", the whole part grouped.
Text WithOneDecimal(int8_t language, uint64_t tenths) {
    const NumberMarks marks = MarksOf(language);
    Text text = Grouped(tenths / 10, marks.group);
    text.push_back(marks.decimal);
    text.push_back(static_cast<char>('0' + tenths % 10));
    return text;
}

// bytes in tenths of unit, rounded to the nearest, without overflow.
uint64_t TenthsOf(uint64_t bytes, uint64_t unit) {
    return bytes / unit * 10 + ((bytes % unit) * 10 + unit / 2) / unit;
}

struct SummaryItem {
    SummaryCaption caption;
    int64_t value;
    enum Kind { Duration, Memory, ExitCode, Bytes, Count } kind;
    int64_t operations = -1; // with Bytes: the operations they took; -1: not counted
};
constexpr int32_t MostItems = 8;
constexpr int32_t IoItemCount = 4;

// What was read and written, the other I/O and the page faults, as both
// the summary and a process's line show them.
void IoItems(const IoFigures& io, SummaryItem* items) {
    items[0] = {SummaryRead, io.ReadBytes, SummaryItem::Bytes, io.ReadOperations};
    items[1] = {SummaryWritten, io.WriteBytes, SummaryItem::Bytes, io.WriteOperations};
    items[2] = {SummaryOtherIo, io.OtherBytes, SummaryItem::Bytes, io.OtherOperations};
    items[3] = {SummaryPageFaults, io.PageFaults, SummaryItem::Count};
}

// The items in the order both forms show them.
int32_t SummaryItems(const SummaryFigures& figures, SummaryItem (&items)[MostItems]) {
    const auto runMs = static_cast<int64_t>(figures.runMs);
    const auto processorMs = static_cast<int64_t>(figures.processor100ns / HundredsPerMs);
    items[0] = {figures.ended ? SummaryRunTime : SummaryRunningFor, runMs, SummaryItem::Duration};
    items[1] = {SummaryProcessorTime, processorMs, SummaryItem::Duration};
    if (!figures.ended) return 2;
    items[2] = {SummaryExitCode, figures.exitCode, SummaryItem::ExitCode};
    items[3] = {SummaryPeakWorkingSet, figures.peakWorkingSet, SummaryItem::Memory};
    if (!figures.io) return 4;
    IoItems(*figures.io, items + 4);
    return 4 + IoItemCount;
}

// A count as the form writes it: grouped for the window, plain for the log.
Text CountText(int8_t language, int64_t count, bool forWindow) {
    if (count < 0) return SummaryCaptions(language)[SummaryNotMeasured];
    if (!forWindow) return IntegerToText(count);
    return Grouped(static_cast<uint64_t>(count), MarksOf(language).group);
}

Text ItemValue(int8_t language, const SummaryItem& item, bool forWindow, bool peakAtLastPass) {
    switch (item.kind) {
    case SummaryItem::ExitCode:
        return ExitCodeText(language, static_cast<uint32_t>(item.value));
    case SummaryItem::Duration:
        if (item.value < 0) return SummaryCaptions(language)[SummaryNotMeasured];
        if (forWindow) return DurationText(language, static_cast<uint64_t>(item.value));
        return IntegerToText(item.value) + " ms";
    case SummaryItem::Memory:
        if (forWindow && item.caption == SummaryPeakWorkingSet && peakAtLastPass && item.value >= 0)
            return MemoryText(language, item.value) + StoredText(PeakAtLastPassNote(language));
        if (forWindow || item.value < 0) return MemoryText(language, item.value);
        return IntegerToText(item.value) + " Bytes";
    case SummaryItem::Bytes: {
        if (item.value < 0) return SummaryCaptions(language)[SummaryNotMeasured];
        Text text = forWindow ? MemoryText(language, item.value)
                              : IntegerToText(item.value) + " Bytes";
        if (item.operations < 0) return text;
        AppendText(text, " (");
        AppendText(text, CountText(language, item.operations, forWindow));
        AppendText(text, " ");
        AppendText(text, SummaryCaptions(language)[SummaryOperations]);
        AppendText(text, ")");
        return text;
    }
    case SummaryItem::Count:
        return CountText(language, item.value, forWindow);
    }
    return Text();
}

void AppendItem(Text& joined, int8_t language, SummaryCaption caption, std::string_view value) {
    AppendText(joined, SummaryCaptions(language)[caption]);
    AppendText(joined, " : ");
    AppendText(joined, value);
}

Text JoinItems(int8_t language, const SummaryItem* items, int32_t count,
               std::string_view separator, bool forWindow, bool peakAtLastPass) {
    Text joined;
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0) AppendText(joined, separator);
        AppendItem(joined, language, items[i].caption,
                   ItemValue(language, items[i], forWindow, peakAtLastPass));
    }
    return joined;
}

Text JoinSummary(int8_t language, const SummaryFigures& figures, std::string_view separator,
                 bool forWindow) {
    SummaryItem items[MostItems];
    const int32_t count = SummaryItems(figures, items);
    return JoinItems(language, items, count, separator, forWindow, figures.peakAtLastPass);
}

} // namespace

const char* const* SummaryCaptions(int8_t language) {
    return StoredTable(language == English ? EnglishCaptions : GermanCaptions,
                       SummaryCaptionCount);
}

Text LogFileErrorText(int8_t language, std::string_view name) {
    const char* const* texts = LogErrorTexts[language == English ? 1 : 0];
    Text error = StoredText(texts[0]);
    AppendText(error, name);
    AppendText(error, StoredText(texts[1]));
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
        AppendText(text, StoredText(language == English ? name.english : name.german));
        AppendText(text, ")");
    }
    return text;
}

SummaryFigures SummaryOf(const RunFacts& facts, uint64_t now) {
    SummaryFigures figures;
    figures.ended = facts.Finished;
    const uint64_t until = facts.EndTick ? facts.EndTick : now;
    figures.runMs = until > facts.StartTick ? until - facts.StartTick : 0;
    figures.processor100ns = facts.ProcessorTime;
    figures.exitCode = facts.ExitCode;
    figures.peakWorkingSet = facts.PeakWorkingSet;
    figures.peakAtLastPass = facts.Finished && !facts.PeakWhole;
    return figures;
}

Text DurationText(int8_t language, uint64_t ms) {
    // Each form rounds to its own last unit; one that rounds up into the
    // next form is written in that one ("60.0 s" is "1 min 0 s").
    const uint64_t tenths = (ms + 50) / 100;
    if (tenths < 600) return WithOneDecimal(language, tenths) + " s";
    const char group = MarksOf(language).group;
    const uint64_t seconds = (ms + 500) / 1000;
    if (seconds < 3600)
        return Grouped(seconds / 60, group) + " min " + Grouped(seconds % 60, group) + " s";
    const uint64_t minutes = (ms + 30'000) / 60'000;
    return Grouped(minutes / 60, group) + " h " + Grouped(minutes % 60, group) + " min";
}

Text MillisecondsAsSeconds(int8_t language, int64_t hundreds) {
    if (hundreds < 0) return SummaryCaptions(language)[SummaryNotMeasured];
    const int64_t ms = hundreds / static_cast<int64_t>(HundredsPerMs);
    Text text = IntegerToText(ms / 1000);
    text.push_back(MarksOf(language).decimal);
    return text + TextPart(IntegerToText(1000 + ms % 1000), 2, 3) + " s";
}

Text MemoryText(int8_t language, int64_t bytes) {
    if (bytes < 0) return SummaryCaptions(language)[SummaryNotMeasured];
    constexpr uint64_t MB = uint64_t{1} << 20;
    const uint64_t tenths = TenthsOf(static_cast<uint64_t>(bytes), MB);
    // Binary multiples, labelled as such: the readings block counts bytes, and
    // "MB" beside them would read as 10^6.
    if (tenths < 10 * 1024 * 10) return WithOneDecimal(language, tenths) + " MiB";
    return WithOneDecimal(language, TenthsOf(static_cast<uint64_t>(bytes), MB << 10)) + " GiB";
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

Text StartFailureTip(int8_t language, const StartFailure& failure) {
    const FailureWords& words = FailureTexts[language == English ? 1 : 0];
    Text tip = StoredText(words.notStarted);
    AppendText(tip, " : ");
    if (failure.batchRefused) {
        AppendText(tip, StoredText(words.batch));
    } else {
        AppendText(tip, words.error);
        AppendText(tip, " " + IntegerToText(failure.error));
        if (!failure.systemText.empty()) AppendText(tip, ": " + failure.systemText);
    }
    if (failure.bits != 0) {
        AppendText(tip, "\r\n");
        AppendText(tip, words.bitsBefore);
        AppendText(tip, IntegerToText(failure.bits));
        AppendText(tip, words.bitsAfter);
    }
    return tip;
}

Text IoSummary(int8_t language, const IoFigures& io, std::string_view separator, bool forWindow) {
    SummaryItem items[IoItemCount];
    IoItems(io, items);
    return JoinItems(language, items, IoItemCount, separator, forWindow, false);
}
