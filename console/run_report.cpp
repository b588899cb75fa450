#include "console/run_report.h"

#include <algorithm>

#include "monitor/readings.h"
#include "measure/summary.h"
#include "services/encoding.h"

namespace {

enum Caption : int32_t {
    CaptionCommand,
    CaptionExitCode,
    CaptionRunTime,
    CaptionProcessorTime,
    CaptionLoad,
    CaptionPeakWorkingSet,
    CaptionWorkingSet,
    CaptionPeakPrivate,
    CaptionPasses,
    CaptionCount
};

// The words of both languages (ISO 8859-1).
struct Words {
    const char* captions[CaptionCount];
    const char* user;
    const char* kernel;
    const char* average;
    const char* largest;
    const char* range;   // between the smallest and the largest working set
    const char* atPasses;
    const char* every;
    const char* notMeasured;
    const char* noPass;
    const char* stopped;
    char decimalMark;
};

const Words EnglishWords = {
    {"Command", "Exit code", "Run time", "Processor time", "Load", "Peak working set",
     "Working set", "Peak private bytes", "Passes"},
    "user",
    "kernel",
    " average",
    " largest",
    " to ",
    " at the passes",
    " every ",
    "not measured",
    "no pass taken",
    "none: watching stopped, the process runs on",
    '.',
};

const Words GermanWords = {
    {"Befehl", "Exit-Code", "Laufzeit", "Prozessorzeit", "Last",
     "H\xF6"
     "chster Working-Set",
     "Working-Set",
     "H\xF6"
     "chste private Bytes",
     "Durchg\xE4nge"},
    "Benutzer",
    "Kernel",
    " im Mittel",
    " h\xF6"
    "chstens",
    " bis ",
    " bei den Durchg\xE4ngen",
    " alle ",
    "nicht gemessen",
    "kein Durchgang",
    "keiner: Beobachtung beendet, der Prozess l\xE4uft weiter",
    ',',
};

// The words as the process's text.
Words Localized(const Words& stored) {
    Words words = stored;
    for (const char*& caption : words.captions)
        caption = StoredText(caption);
    for (const char** word : {&words.user, &words.kernel, &words.average, &words.largest,
                              &words.range, &words.atPasses, &words.every, &words.notMeasured,
                              &words.noPass, &words.stopped})
        *word = StoredText(*word);
    return words;
}

// Grouped with the language's mark, as the tooltip groups: "1,000" in
// English, "1.000" in German; a dot would read as a decimal point in English.
Text Grouped(int64_t value, const Words& words) {
    Text text = GroupDigits(value);
    if (words.decimalMark == '.') std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

Text Seconds(uint64_t ms, const Words& words) {
    Text text = IntegerToText(static_cast<int64_t>(ms / 1000));
    text += words.decimalMark;
    const Text fraction = IntegerToText(static_cast<int64_t>(1000 + ms % 1000));
    AppendText(text, TextPart(fraction, 2, 3));
    AppendText(text, " s");
    return text;
}

Text Bytes(int64_t bytes, const Words& words) {
    if (bytes < 0) return words.notMeasured;
    Text text = Grouped(bytes, words);
    AppendText(text, " Bytes");
    return text;
}

class Lines {
  public:
    explicit Lines(const Words& words) : words_(words) {
        for (const char* caption : words.captions)
            if (CharacterCount(caption) > width_) width_ = CharacterCount(caption);
    }
    void Add(Caption caption, std::string_view value) {
        AppendText(text_, words_.captions[caption]);
        text_.append(static_cast<size_t>(width_ - CharacterCount(words_.captions[caption])), ' ');
        AppendText(text_, " : ");
        AppendText(text_, value);
        AppendText(text_, "\r\n");
    }
    const Text& text() const { return text_; }

  private:
    const Words& words_;
    int32_t width_ = 0;
    Text text_;
};

void AppendNumber(Text& json, const char* key, int64_t value, bool known = true) {
    AppendText(json, "  \"");
    AppendText(json, key);
    AppendText(json, "\": ");
    AppendText(json, known ? IntegerToText(value) : Text("null"));
    AppendText(json, ",\n");
}

} // namespace

int64_t AverageLoad(const ConsoleRun& run) {
    const uint64_t time = run.Facts.ProcessorTime;
    if (run.RunMs == 0) return 0;
    const auto load = static_cast<int64_t>(time / run.RunMs / 100);
    return ScaledLoad(load, run.Facts.CpuScale, run.Processors);
}

Text RunReportText(int8_t language, const ConsoleRun& run) {
    const Words words = Localized(language == English ? EnglishWords : GermanWords);
    const RunFacts& facts = run.Facts;
    const RunExtremes& extremes = facts.Extremes;
    Lines lines(words);
    lines.Add(CaptionCommand, run.Command);
    lines.Add(CaptionExitCode,
              run.ExitKnown ? ExitCodeText(language, facts.ExitCode) : Text(words.stopped));
    lines.Add(CaptionRunTime, Seconds(run.RunMs, words));

    Text processor = Seconds(facts.ProcessorTime / HundredsPerMs, words);
    AppendText(processor, " (");
    AppendText(processor, words.user);
    AppendText(processor, " ");
    AppendText(processor, Seconds(run.User100ns / HundredsPerMs, words));
    AppendText(processor, ", ");
    AppendText(processor, words.kernel);
    AppendText(processor, " ");
    AppendText(processor, Seconds(run.Kernel100ns / HundredsPerMs, words));
    AppendText(processor, ")");
    lines.Add(CaptionProcessorTime, processor);

    Text load = IntegerToText(AverageLoad(run));
    AppendText(load, " %");
    AppendText(load, words.average);
    if (extremes.Seeded) {
        AppendText(load, ", ");
        AppendText(load, IntegerToText(extremes.LoadMaximum));
        AppendText(load, " %");
        AppendText(load, words.largest);
    }
    lines.Add(CaptionLoad, load);

    lines.Add(CaptionPeakWorkingSet, Bytes(facts.PeakWorkingSet, words));
    Text range = words.noPass;
    if (extremes.Seeded) {
        range = Grouped(extremes.WorkingSetMinimum, words);
        AppendText(range, words.range);
        AppendText(range, Bytes(extremes.WorkingSetMaximum, words));
        AppendText(range, words.atPasses);
    }
    lines.Add(CaptionWorkingSet, range);
    lines.Add(CaptionPeakPrivate, Bytes(facts.PeakPrivateBytes, words));

    Text passes = Grouped(facts.Passes, words);
    AppendText(passes, words.every);
    AppendText(passes, Grouped(facts.IntervalMs, words));
    AppendText(passes, " ms");
    lines.Add(CaptionPasses, passes);
    return lines.text();
}

Text RunReportJson(const ConsoleRun& run) {
    const RunFacts& facts = run.Facts;
    const RunExtremes& extremes = facts.Extremes;
    Text json = "{\n  \"program\": ";
    AppendText(json, JsonString(run.Program));
    // A process brenkrun did not start has arguments it cannot know.
    if (run.Attached) {
        AppendText(json, ",\n  \"arguments\": null,\n");
    } else {
        AppendText(json, ",\n  \"arguments\": [");
        for (size_t i = 0; i < run.Arguments.size(); ++i) {
            if (i > 0) AppendText(json, ", ");
            AppendText(json, JsonString(run.Arguments[i]));
        }
        AppendText(json, "],\n");
    }
    AppendNumber(json, "exit_code", facts.ExitCode, run.ExitKnown);
    AppendNumber(json, "run_time_ms", static_cast<int64_t>(run.RunMs));
    AppendNumber(json, "processor_time_ms", static_cast<int64_t>(facts.ProcessorTime / HundredsPerMs));
    if (run.Attached)
        AppendNumber(json, "processor_time_whole_life_ms",
                     static_cast<int64_t>((run.ProcessorBefore100ns + facts.ProcessorTime) /
                                          HundredsPerMs));
    AppendNumber(json, "user_time_ms", static_cast<int64_t>(run.User100ns / HundredsPerMs));
    AppendNumber(json, "kernel_time_ms", static_cast<int64_t>(run.Kernel100ns / HundredsPerMs));
    AppendNumber(json, "cpu_average_percent", AverageLoad(run));
    AppendNumber(json, "cpu_minimum_percent", extremes.LoadMinimum, extremes.Seeded);
    AppendNumber(json, "cpu_maximum_percent", extremes.LoadMaximum, extremes.Seeded);
    AppendNumber(json, "peak_working_set_bytes", facts.PeakWorkingSet, facts.PeakWorkingSet >= 0);
    AppendNumber(json, "working_set_minimum_bytes", extremes.WorkingSetMinimum, extremes.Seeded);
    AppendNumber(json, "working_set_maximum_bytes", extremes.WorkingSetMaximum, extremes.Seeded);
    AppendNumber(json, "peak_private_bytes", facts.PeakPrivateBytes, facts.PeakPrivateBytes >= 0);
    AppendNumber(json, "passes", facts.Passes);
    AppendNumber(json, "interval_ms", facts.IntervalMs);
    AppendNumber(json, "cpu_scale", facts.CpuScale);
    AppendText(json, run.Children ? "  \"children\": true,\n" : "  \"children\": false,\n");
    AppendText(json, "  \"processes\": ");
    AppendText(json, IntegerToText(run.Processes));
    AppendText(json, "\n}\n");
    return json;
}

Text JsonString(std::string_view processText) {
    const Text text = ToUtf8(processText);
    Text json = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            json += "\\u00";
            json += "0123456789abcdef"[byte >> 4];
            json += "0123456789abcdef"[byte & 0xF];
        } else {
            json += c;
        }
    }
    json += '"';
    return json;
}
