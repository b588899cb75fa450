#include "console/process_report.h"

#include <algorithm>
#include <array>

#include "measure/reading_types.h"
#include "measure/summary.h"
#include "services/encoding.h"

namespace {

// The words of both languages (ISO 8859-1).
struct Words {
    const char* read;
    const char* written;
    const char* other;
    const char* faults;
    const char* operations; // " in 1,015 operations"
    const char* notMeasured;
    const char* processes; // the table's title, before the counts
    const char* shown;     // "10 of 21"
    const char* header[7];
    const char* running;
    char thousands;
};

const Words EnglishWords = {
    "Read",
    "Written",
    "Other I/O",
    "Page faults",
    " operations",
    "not measured",
    "Processes, largest peak working set first: ",
    " of ",
    {"Peak working set", "Processor time", "Read", "Written", "Exit code", "PID", "Name"},
    "running",
    ',',
};

const Words GermanWords = {
    "Gelesen",
    "Geschrieben",
    "Andere E/A",
    "Seitenfehler",
    " Vorg\xE4nge",
    "nicht gemessen",
    "Prozesse, gr\xF6\xDFter h\xF6"
    "chster Working-Set zuerst: ",
    " von ",
    {"H\xF6"
     "chster Working-Set",
     "Prozessorzeit", "Gelesen", "Geschrieben", "Exit-Code", "PID", "Name"},
    "l\xE4uft",
    '.',
};

Text Grouped(int64_t value, const Words& words) {
    Text text = GroupDigits(value);
    std::replace(text.begin(), text.end(), '.', words.thousands);
    return text;
}

// A byte count and its operations, as a line of the totals.
Text Transfer(int64_t bytes, int64_t operations, const Words& words) {
    if (bytes < 0) return StoredText(words.notMeasured);
    Text text = Grouped(bytes, words) + " Bytes";
    if (operations >= 0)
        (text += " in ") += Grouped(operations, words) += StoredText(words.operations);
    return text;
}

void Line(Text& text, const char* caption, int32_t width, const Text& value) {
    const Text shown = StoredText(caption);
    text += shown;
    text.append(static_cast<size_t>(std::max(0, width - CharacterCount(shown))), ' ');
    ((text += " : ") += value) += "\r\n";
}

using Cells = std::array<Text, 7>;

// Cells right-aligned to the width of their column, the name last.
void Row(Text& text, const Cells& cells, const std::array<int32_t, 7>& widths) {
    for (int i = 0; i < 6; ++i) {
        text += "  ";
        text.append(static_cast<size_t>(std::max(0, widths[i] - CharacterCount(cells[i]))), ' ');
        text += cells[i];
    }
    ((text += "  ") += cells[6]) += "\r\n";
}

void Key(Text& json, const char* key, int64_t value, const char* after = ",\n") {
    ((json += "\"") += key) += "\": ";
    json += value >= 0 ? IntegerToText(value) : Text("null");
    json += after;
}

// The I/O keys: one a line in the report's object, or in a line of the list,
// closing the process's object.
void IoKeys(Text& json, const IoFigures& io, bool inList) {
    const std::pair<const char*, int64_t> keys[] = {
        {"io_read_bytes", io.ReadBytes},
        {"io_write_bytes", io.WriteBytes},
        {"io_other_bytes", io.OtherBytes},
        {"io_read_operations", io.ReadOperations},
        {"io_write_operations", io.WriteOperations},
        {"io_other_operations", io.OtherOperations},
        {"page_faults", io.PageFaults},
    };
    for (const auto& [key, value] : keys) {
        if (!inList) json += "  ";
        const bool last = key == keys[6].first;
        Key(json, key, value, !inList ? ",\n" : last ? "}" : ", ");
    }
}

} // namespace

void AppendProcessJson(Text& json, const ConsoleRun& run) {
    IoKeys(json, run.Io, false);
    if (!run.Children) return;
    json += "  \"process_list\": [";
    for (size_t i = 0; i < run.Tree.Size(); ++i) {
        const ProcessEntry entry = run.Tree.At(i);
        json += i ? ",\n    {" : "\n    {";
        (json += "\"name\": ") += JsonString(entry.Name);
        json += ", ";
        Key(json, "pid", entry.Pid, ", ");
        Key(json, "parent_pid", entry.ParentPid, ", ");
        Key(json, "start_ms", entry.StartMs, ", ");
        Key(json, "end_ms", entry.EndMs, ", ");
        Key(json, "exit_code", entry.ExitCode, ", ");
        const bool timed = entry.User100ns >= 0 && entry.Kernel100ns >= 0;
        const auto ms = [](int64_t hundreds) {
            return hundreds < 0 ? -1 : hundreds / static_cast<int64_t>(HundredsPerMs);
        };
        Key(json, "processor_time_ms", timed ? ms(entry.User100ns + entry.Kernel100ns) : -1, ", ");
        Key(json, "user_time_ms", ms(entry.User100ns), ", ");
        Key(json, "kernel_time_ms", ms(entry.Kernel100ns), ", ");
        Key(json, "peak_working_set_bytes", entry.PeakWorkingSet, ", ");
        Key(json, "peak_private_bytes", entry.PeakPrivate, ", ");
        IoKeys(json, entry.Io, true);
    }
    json += run.Tree.Size() ? "\n  ],\n" : "],\n";
}

Text ProcessReportText(int8_t language, const ConsoleRun& run, int32_t width) {
    const Words& words = language == English ? EnglishWords : GermanWords;
    Text text;
    const IoFigures& io = run.Io;
    Line(text, words.read, width, Transfer(io.ReadBytes, io.ReadOperations, words));
    Line(text, words.written, width, Transfer(io.WriteBytes, io.WriteOperations, words));
    Line(text, words.other, width, Transfer(io.OtherBytes, io.OtherOperations, words));
    Line(text, words.faults, width,
         io.PageFaults < 0 ? Text(StoredText(words.notMeasured)) : Grouped(io.PageFaults, words));
    if (!run.Children) return text;

    const std::vector<size_t> rows = LargestProcesses(run.Tree, run.ProcessRows);
    ((((text += StoredText(words.processes)) +=
       Grouped(static_cast<int64_t>(rows.size()), words)) += StoredText(words.shown)) +=
     Grouped(static_cast<int64_t>(run.Tree.Size()), words)) += "\r\n";
    Cells header;
    std::array<int32_t, 7> widths{};
    for (int i = 0; i < 7; ++i) {
        header[i] = StoredText(words.header[i]);
        widths[i] = CharacterCount(header[i]);
    }
    std::vector<Cells> cells;
    for (size_t index : rows) {
        const ProcessEntry entry = run.Tree.At(index);
        const auto bytes = [&words](int64_t value) {
            return value < 0 ? Text("-") : Grouped(value, words);
        };
        const bool timed = entry.User100ns >= 0 && entry.Kernel100ns >= 0;
        Cells row = {
            bytes(entry.PeakWorkingSet),
            timed ? MillisecondsAsSeconds(language, entry.User100ns + entry.Kernel100ns) : Text("-"),
            bytes(entry.Io.ReadBytes),
            bytes(entry.Io.WriteBytes),
            entry.Running()      ? Text(StoredText(words.running))
            : entry.ExitCode < 0 ? Text("-")
                                 : IntegerToText(entry.ExitCode),
            IntegerToText(entry.Pid),
            Text(entry.Name),
        };
        for (int i = 0; i < 6; ++i)
            widths[i] = std::max(widths[i], CharacterCount(row[i]));
        cells.push_back(std::move(row));
    }
    Row(text, header, widths);
    for (const Cells& row : cells)
        Row(text, row, widths);
    return text;
}
