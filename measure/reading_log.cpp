#include "measure/reading_log.h"

#include "measure/summary.h"

namespace {

// The CSV order: each kind's current reading first, then its extremes.
constexpr ReadingRow LogOrder[ReadingRows] = {CpuCurrent, CpuMinimum, CpuMaximum,
                                              RamCurrent, RamMinimum, RamMaximum};

void AppendPadded(Text& text, int32_t value, int32_t width) {
    Text digits = IntegerToText(value);
    for (int32_t length = TextLength(digits); length < width; ++length)
        AppendText(text, "0");
    AppendText(text, digits);
}

} // namespace

Text LogStartLine(int8_t language, std::string_view commandLine) {
    Text line = "# ";
    AppendText(line, SummaryCaptions(language)[SummaryProgram]);
    AppendText(line, " : ");
    AppendText(line, commandLine);
    // A line break of the command line would start a line that a CSV
    // reader takes for a row.
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    AppendText(line, "\r\n");
    return line;
}

Text IsoTimeText(const LocalTime& time) {
    Text text;
    AppendPadded(text, time.year, 4);
    AppendText(text, "-");
    AppendPadded(text, time.month, 2);
    AppendText(text, "-");
    AppendPadded(text, time.day, 2);
    AppendText(text, "T");
    AppendPadded(text, time.hour, 2);
    AppendText(text, ":");
    AppendPadded(text, time.minute, 2);
    AppendText(text, ":");
    AppendPadded(text, time.second, 2);
    return text;
}

Text LogRowLine(const LocalTime& time, uint64_t msSinceStart, const Readings& readings) {
    Text line = IsoTimeText(time);
    AppendText(line, ",");
    AppendText(line, IntegerToText(static_cast<int64_t>(msSinceStart)));
    for (ReadingRow row : LogOrder) {
        AppendText(line, ",");
        // A figure not available (-1) is an empty field.
        if (readings.Row[row] >= 0) AppendText(line, IntegerToText(readings.Row[row]));
    }
    AppendText(line, "\r\n");
    return line;
}
