#include "monitor/process_log.h"

#include "measure/summary.h"

namespace {

void AppendItem(Text& line, const char* caption, std::string_view value) {
    if (line.size() > 2) AppendText(line, ", ");
    AppendText(line, caption);
    AppendText(line, " : ");
    AppendText(line, value);
}

} // namespace

Text ProcessLogLine(int8_t language, const ProcessEntry& entry) {
    const char* const* captions = SummaryCaptions(language);
    const Text notMeasured = captions[SummaryNotMeasured];
    const Text running = captions[SummaryRunning];
    Text name(entry.Name);
    // A line break in a name would start a line that a CSV reader takes for a row.
    for (char& c : name)
        if (c == '\r' || c == '\n') c = ' ';
    Text line = "# ";
    AppendItem(line, captions[SummaryProcess], name);
    AppendItem(line, captions[SummaryPid], IntegerToText(entry.Pid));
    AppendItem(line, captions[SummaryParentPid], IntegerToText(entry.ParentPid));
    AppendItem(line, captions[SummaryStart], IntegerToText(entry.StartMs) + " ms");
    AppendItem(line, captions[SummaryEnd],
               entry.Running() ? running : IntegerToText(entry.EndMs) + " ms");
    AppendItem(line, captions[SummaryExitCode],
               entry.Running()      ? running
               : entry.ExitCode < 0 ? notMeasured
                                    : ExitCodeText(language, static_cast<uint32_t>(entry.ExitCode)));
    const bool timed = entry.User100ns >= 0 && entry.Kernel100ns >= 0;
    const int64_t processor100ns = entry.User100ns + entry.Kernel100ns;
    AppendItem(line, captions[SummaryProcessorTime],
               timed ? IntegerToText(processor100ns / static_cast<int64_t>(HundredsPerMs)) + " ms"
                     : notMeasured);
    AppendItem(line, captions[SummaryPeakWorkingSet],
               entry.PeakWorkingSet >= 0 ? IntegerToText(entry.PeakWorkingSet) + " Bytes"
                                         : notMeasured);
    AppendText(line, ", ");
    AppendText(line, IoSummary(language, entry.Io, ", ", false));
    AppendText(line, "\r\n");
    return line;
}

void EndRemainingProcesses(ProcessList& tree, uint64_t endMs, uint32_t programPid,
                           uint32_t programCode) {
    for (size_t i = 0; i < tree.Size(); ++i) {
        const ProcessEntry entry = tree.At(i);
        if (!entry.Running()) continue;
        tree.Ended(entry.Pid, endMs, entry.Pid == programPid ? int64_t{programCode} : -1);
    }
}
