#include "console/run_report.h"

#include <algorithm>

#include "console/process_report.h"
#include "monitor/readings.h"
#include "measure/summary.h"
#include "measure/texts.h"
#include "services/encoding.h"

namespace {

// The words of both languages (ISO 8859-1).
struct Words {
    const char* captions[CaptionCount];
    const char* user;
    const char* kernel;
    const char* average;
    const char* largest;
    const char* range; // between the smallest and the largest working set
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
    for (const char** word :
         {&words.user, &words.kernel, &words.average, &words.largest, &words.range, &words.atPasses,
          &words.every, &words.notMeasured, &words.noPass, &words.stopped})
        *word = StoredText(*word);
    return words;
}

// Grouped with the language's mark, as the tooltip groups: "1,000" in
// English, "1.000" in German; a dot would read as a decimal point in English.
Text& AppendGrouped(Text& text, int64_t value, const Words& words) {
    const size_t from = text.size();
    text += GroupDigits(value);
    if (words.decimalMark == '.')
        std::replace(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), '.', ',');
    return text;
}

Text& AppendSeconds(Text& text, uint64_t ms, const Words& words) {
    text += IntegerToText(static_cast<int64_t>(ms / 1000));
    text += words.decimalMark;
    text += TextPart(IntegerToText(static_cast<int64_t>(1000 + ms % 1000)), 2, 3);
    return text += " s";
}

Text& AppendBytes(Text& text, int64_t bytes, const Words& words) {
    if (bytes < 0) return text += words.notMeasured;
    return AppendGrouped(text, bytes, words) += " Bytes";
}

// The report's lines, their captions in one column.
class Lines {
  public:
    explicit Lines(const Words& words) : words_(words) {
        for (const char* caption : words.captions)
            if (CharacterCount(caption) > width_) width_ = CharacterCount(caption);
    }
    // A new line with its caption; the value is appended to what is returned.
    Text& Add(ReportCaption caption) {
        if (!text_.empty()) text_ += "\r\n";
        text_ += words_.captions[caption];
        text_.append(static_cast<size_t>(width_ - CharacterCount(words_.captions[caption])), ' ');
        return text_ += " : ";
    }
    Text& text() { return text_ += "\r\n"; }
    int32_t width() const { return width_; }

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

const char* ReportCaptionText(int8_t language, ReportCaption caption) {
    return StoredText((language == English ? EnglishWords : GermanWords).captions[caption]);
}

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
    lines.Add(CaptionCommand) += run.Command;
    Text& exit = lines.Add(CaptionExitCode);
    if (run.ExitKnown)
        exit += ExitCodeText(language, facts.ExitCode);
    else
        exit += words.stopped;
    AppendSeconds(lines.Add(CaptionRunTime), run.RunMs, words);

    Text& processor =
        AppendSeconds(lines.Add(CaptionProcessorTime), facts.ProcessorTime / HundredsPerMs, words);
    ((processor += " (") += words.user) += ' ';
    AppendSeconds(processor, run.User100ns / HundredsPerMs, words);
    ((processor += ", ") += words.kernel) += ' ';
    AppendSeconds(processor, run.Kernel100ns / HundredsPerMs, words) += ')';

    Text& load = lines.Add(CaptionLoad);
    ((load += IntegerToText(AverageLoad(run))) += " %") += words.average;
    if (extremes.Seeded)
        (((load += ", ") += IntegerToText(extremes.LoadMaximum)) += " %") += words.largest;

    // Where an ended process's peaks can no longer be read (Wine), they are
    // the last pass's, and a rise after it is missed.
    const char* peakNote = run.ExitKnown && !facts.PeakWhole ? PeakAtLastPassNote(language) : "";
    Text& peak = AppendBytes(lines.Add(CaptionPeakWorkingSet), facts.PeakWorkingSet, words);
    if (facts.PeakWorkingSet >= 0) peak += peakNote;
    Text& range = lines.Add(CaptionWorkingSet);
    if (extremes.Seeded) {
        AppendGrouped(range, extremes.WorkingSetMinimum, words) += words.range;
        AppendBytes(range, extremes.WorkingSetMaximum, words) += words.atPasses;
    } else {
        range += words.noPass;
    }
    Text& privateBytes = AppendBytes(lines.Add(CaptionPeakPrivate), facts.PeakPrivateBytes, words);
    if (facts.PeakPrivateBytes >= 0) privateBytes += peakNote;

    Text& passes = AppendGrouped(lines.Add(CaptionPasses), facts.Passes, words) += words.every;
    AppendGrouped(passes, facts.IntervalMs, words) += " ms";
    return lines.text() += ProcessReportText(language, run, lines.width());
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
    AppendNumber(json, "exit_code", facts.ExitCode, run.ExitKnown && !run.Failure.Failed);
    if (run.Failure.Failed) {
        AppendText(json, "  \"error\": ");
        AppendText(json, StartFailureJson(run.Failure));
        AppendText(json, ",\n");
    }
    // The runs of a benchmark know it to the microsecond.
    if (run.RunUs > 0) {
        AppendText(json, "  \"run_time_ms\": ");
        AppendText(json, IntegerToText(static_cast<int64_t>(run.RunUs / 1000)));
        json += '.';
        AppendText(json,
                   TextPart(IntegerToText(static_cast<int64_t>(1000 + run.RunUs % 1000)), 2, 3));
        AppendText(json, ",\n");
    } else {
        AppendNumber(json, "run_time_ms", static_cast<int64_t>(run.RunMs));
    }
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
    AppendText(json, facts.PeakWhole ? "  \"peak_covers_whole_run\": true,\n"
                                     : "  \"peak_covers_whole_run\": false,\n");
    AppendNumber(json, "passes", facts.Passes);
    AppendNumber(json, "interval_ms", facts.IntervalMs);
    AppendNumber(json, "cpu_scale", facts.CpuScale);
    AppendProcessJson(json, run);
    AppendText(json, run.Children ? "  \"children\": true,\n" : "  \"children\": false,\n");
    AppendText(json, "  \"processes\": ");
    AppendText(json, IntegerToText(run.Processes));
    AppendText(json, "\n}\n");
    return json;
}

Text StartFailureWords(const RunFailure& failure) {
    Text words;
    if (failure.Code >= 0) words = "error " + IntegerToText(failure.Code);
    if (!failure.Reason.empty()) AppendText(words, (words.empty() ? "" : ": ") + failure.Reason);
    if (failure.ProgramBits > 0)
        AppendText(words, "; a " + IntegerToText(failure.ProgramBits) + "-bit program");
    return words;
}

Text StartFailureJson(const RunFailure& failure) {
    Text json = "{\"code\": ";
    AppendText(json, failure.Code >= 0 ? IntegerToText(failure.Code) : Text("null"));
    AppendText(json, ", \"message\": ");
    AppendText(json, JsonString(failure.Reason));
    AppendText(json, ", \"program_bits\": ");
    AppendText(json, failure.ProgramBits > 0 ? IntegerToText(failure.ProgramBits) : Text("null"));
    return json += '}';
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
