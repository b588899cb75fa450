#include "monitor/process_table.h"

#include <algorithm>

#include "measure/summary.h"
#include "measure/texts.h"
#include "services/encoding.h"

namespace {

// ISO 8859-1, as the other stored texts.
const char* const GermanTitles[ProcessColumnCount] = {
    "Name",
    "PID",
    "Prozessorzeit",
    ("H\xF6"
     "chster Working-Set"),
    "E/A: gelesen / geschrieben",
    "Exit-Code",
};
const char* const EnglishTitles[ProcessColumnCount] = {
    "Name", "PID", "Processor time", "Peak working set", "I/O: read / written", "Exit code",
};

int64_t Processor(const ProcessEntry& entry) {
    if (entry.User100ns < 0 || entry.Kernel100ns < 0) return -1;
    return entry.User100ns + entry.Kernel100ns;
}

int64_t Transferred(const ProcessEntry& entry) {
    if (entry.Io.ReadBytes < 0 && entry.Io.WriteBytes < 0) return -1;
    return std::max<int64_t>(entry.Io.ReadBytes, 0) + std::max<int64_t>(entry.Io.WriteBytes, 0);
}

// The figure a column sorts by; -1: not measured.
int64_t Figure(const ProcessEntry& entry, ProcessColumn column) {
    switch (column) {
    case ProcessColumn::Pid: return entry.Pid;
    case ProcessColumn::ProcessorTime: return Processor(entry);
    case ProcessColumn::PeakWorkingSet: return entry.PeakWorkingSet;
    case ProcessColumn::Io: return Transferred(entry);
    // A running process has no code yet: after every ended one.
    case ProcessColumn::ExitCode: return entry.Running() ? -1 : entry.ExitCode;
    case ProcessColumn::Name: break;
    }
    return -1;
}

} // namespace

bool Descending(ProcessOrder order) {
    const ProcessColumn column = order.Column;
    const bool figure = column == ProcessColumn::ProcessorTime ||
                        column == ProcessColumn::PeakWorkingSet || column == ProcessColumn::Io;
    return figure != order.Reversed;
}

Text ProcessColumnTitle(int8_t language, ProcessColumn column) {
    const char* const* titles = language == English ? EnglishTitles : GermanTitles;
    return StoredText(titles[static_cast<int32_t>(column)]);
}

Text ProcessCellText(int8_t language, const ProcessEntry& entry, ProcessColumn column) {
    const Text notMeasured = SummaryCaptions(language)[SummaryNotMeasured];
    switch (column) {
    case ProcessColumn::Name: return Text(entry.Name);
    case ProcessColumn::Pid: return IntegerToText(entry.Pid);
    case ProcessColumn::ProcessorTime:
        return Processor(entry) < 0 ? notMeasured : MillisecondsAsSeconds(language, Processor(entry));
    case ProcessColumn::PeakWorkingSet: return MemoryText(language, entry.PeakWorkingSet);
    case ProcessColumn::Io:
        if (Transferred(entry) < 0) return notMeasured;
        return MemoryText(language, entry.Io.ReadBytes) + " / " +
               MemoryText(language, entry.Io.WriteBytes);
    case ProcessColumn::ExitCode:
        if (entry.Running()) return StoredText(SummaryCaptions(language)[SummaryRunning]);
        if (entry.ExitCode < 0) return notMeasured;
        return ExitCodeText(language, static_cast<uint32_t>(entry.ExitCode));
    }
    return {};
}

ProcessOrder ClickedOrder(ProcessOrder order, ProcessColumn column) {
    if (order.Column == column) return {column, !order.Reversed};
    return {column, false};
}

std::vector<uint32_t> SortedProcesses(const ProcessList& list, ProcessOrder order) {
    // The keys taken once: an ended process's figures are unpacked to read them.
    struct Keyed {
        int64_t figure;
        std::string_view name;
        uint32_t index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(list.Size());
    for (size_t i = 0; i < list.Size(); ++i) {
        const ProcessEntry entry = list.At(i);
        keyed.push_back({Figure(entry, order.Column), entry.Name, static_cast<uint32_t>(i)});
    }
    const bool byName = order.Column == ProcessColumn::Name;
    const bool descending = Descending(order);
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        if (byName) return descending ? b.name < a.name : a.name < b.name;
        if ((a.figure < 0) != (b.figure < 0)) return b.figure < 0;
        return descending ? a.figure > b.figure : a.figure < b.figure;
    });
    std::vector<uint32_t> indices;
    indices.reserve(keyed.size());
    for (const Keyed& k : keyed)
        indices.push_back(k.index);
    return indices;
}
