#include "monitor/language.h"

#include "measure/summary.h"
#include "services/encoding.h"

namespace {

// A command line handed from outside that the field cannot hold whole, by
// language; ISO 8859-1.
const char* const CommandLineTooLongTexts[2] = {
    "Kommandozeile l\xE4"
    "nger als 128 Zeichen !",
    "Command-Line longer than 128 characters !",
};

// Where the error texts start inside a block.
constexpr int32_t FirstErrorText = 5;

// Quit that leaves the program running (error 9), per language.
const char* const StillRunningTexts[2] = {"Programm l\xE4"
                                          "uft noch !",
                                          "Program is still running !"};

const char* const SystemInfoPieceTexts[3] = {"CPU: ~ ", " MHz,   RAM: ", " MB"};
const char* const ExtremeCaptions[4] = {"CPU Minimum", "CPU Maximum", "RAM Minimum", "RAM Maximum"};
const char* const UnitTexts[ReadingRows] = {"%", "%", "Bytes", "Bytes", "%", "Bytes"};

} // namespace

void ApplySettings(MonitorState& state, int32_t language, int32_t defaultInterval) {
    state.Language = SettingValue(language, English);
    state.DefaultIntervalIndex = SettingValue(defaultInterval, IntervalCount - 1);
    state.IntervalIndex = state.DefaultIntervalIndex;
}

void ComposeMonitorTexts(MonitorState& state) {
    for (int32_t i = 0; i < IntervalCount; ++i)
        state.IntervalTable[i] = static_cast<int16_t>((i + 1) * 1000);

    // One empty line after the CPU pair and after the memory pair; nothing
    // after the last row, so the column texts end with their last row.
    for (int32_t i = 0; i < ReadingRows - 1; ++i)
        AssignText(state.RowBreaks[i], "\n");
    AppendText(state.RowBreaks[CpuMaximum], "\n");
    AppendText(state.RowBreaks[RamMaximum], "\n");
    FreeText(state.RowBreaks[RamCurrent]);

    FreeText(state.ColonsText);
    for (int32_t i = 0; i < ReadingRows; ++i) {
        AppendText(state.ColonsText, ":");
        AppendText(state.ColonsText, state.RowBreaks[i]);
    }

    AssignText(state.StateTexts[StateCredit], CreditText);

    state.TableCursor = LanguageBlock(state.Language);
    for (int32_t i = StateNotOpened; i <= StateTerminated; ++i)
        AssignText(state.StateTexts[i], TextView(*state.TableCursor++));
    for (int32_t i = ErrorNoWindow; i <= ErrorNotStarted; ++i)
        AssignText(state.ErrorTexts[i], TextView(*state.TableCursor++));
    for (int32_t i = CaptionProgram; i <= CaptionCurrent; ++i)
        AssignText(state.CaptionTexts[i], TextView(*state.TableCursor++));
    AssignText(state.ErrorTexts[ErrorCommandLineTooLong],
               StoredText(CommandLineTooLongTexts[state.Language == English ? 1 : 0]));
    AssignText(state.ErrorTexts[ErrorStillRunning],
               StoredText(StillRunningTexts[state.Language == English ? 1 : 0]));

    for (int32_t i = 0; i < 3; ++i)
        AssignText(state.SystemInfoPieces[i], SystemInfoPieceTexts[i]);

    FreeText(state.CaptionsText);
    for (int32_t i = 0; i < 4; ++i) {
        AppendText(state.CaptionsText, ExtremeCaptions[i]);
        AppendText(state.CaptionsText, state.RowBreaks[i]);
    }
    AppendText(state.CaptionsText, "CPU ");
    AppendText(state.CaptionsText, state.CaptionTexts[CaptionCurrent]);
    AppendText(state.CaptionsText, state.RowBreaks[CpuCurrent]);
    AppendText(state.CaptionsText, "RAM ");
    AppendText(state.CaptionsText, state.CaptionTexts[CaptionCurrent]);
    AppendText(state.CaptionsText, state.RowBreaks[RamCurrent]);

    FreeText(state.UnitsText);
    for (int32_t i = 0; i < ReadingRows; ++i) {
        AppendText(state.UnitsText, UnitTexts[i]);
        AppendText(state.UnitsText, state.RowBreaks[i]);
    }
}

Text ErrorText(const MonitorState& state, int8_t code) {
    if (code < 0 || code >= ErrorTextSlots) return Text();
    if (!state.ErrorTexts[code].empty()) return state.ErrorTexts[code];
    if (code > ErrorNotStarted) return Text();
    return Text(LanguageBlock(German)[FirstErrorText + code]);
}

Text IntervalText(const MonitorState& state, int32_t index) {
    if (index < 0 || index >= IntervalCount) return Text();
    return IntegerToText(state.IntervalTable[index]);
}

Text DefaultIntervalCaption(const MonitorState& state) {
    Text caption = state.CaptionTexts[CaptionDefault];
    AppendText(caption, IntervalText(state, state.DefaultIntervalIndex));
    AppendText(caption, " ms");
    return caption;
}

Text LimitedCommandLine(std::string_view text) {
    if (TextLength(text) >= CommandLineLimit) return TextTail(text, CommandLineLimit);
    return Text(text);
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
