#include "monitor/language.h"

namespace {

// Each block holds, in copy order, StateTexts 1..5, ErrorTexts 0..6 and
// CaptionTexts 0..8. The texts are ISO 8859-1; a literal is split after each
// escape so that a following letter a..f is not read as part of the escape.
const char* const GermanBlock[LanguageBlockTexts] = {
    "Programm nicht ge\xF6"
    "ffnet !",
    "Programm ge\xF6"
    "ffnet",
    "Programm gestartet",
    "Programm l\xE4"
    "uft...",
    "Programm beendet",
    "Konnte Fenster nicht \xF6"
    "ffnen !",
    "Konnte Statusbar nicht erstellen !",
    "Konnte <Psapi.dll> nicht finden !",
    "Konnte nicht auf Registry zugreifen !",
    "Dateiname enth\xE4"
    "lt unerlaubte Zeichen !",
    "<Brenk.ini> nicht gefunden !",
    "Programm konnte nicht gestartet werden !",
    "\xDC"
    "berwachtes Programm",
    "Kommandozeile (Optional)",
    "\xDC"
    "berwachungs-Intervall",
    "Standard : ",
    "Programm \xF6"
    "ffnen",
    "Programm starten",
    "Programm beenden",
    "Programm ausw\xE4"
    "hlen...",
    "Aktuell",
};

const char* const EnglishBlock[LanguageBlockTexts] = {
    "Program not opened !",
    "Program opened",
    "Program started",
    "Program is running...",
    "Program terminated",
    "Couldn\xB4"
    "t open a Window !",
    "Couldn\xB4"
    "t create a Statusbar !",
    "Couldn\xB4"
    "t find <Psapi.dll> !",
    "Couldn\xB4"
    "t acces Registry !",
    "Filename contains forbidden characters !",
    "<Brenk.ini> not found !",
    "Unable to start Program !",
    "Observed Program",
    "Command-Line (Optional)",
    "Surveillance-Interval",
    "Default : ",
    "Open Program",
    "Start Program",
    "Quit Program",
    "Choose Program...",
    "Current",
};

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

// The history window's title and the system-menu item that opens it (its
// letter after the &, as every item of that menu has one).
const char* const HistoryTitles[2] = {"Verlauf", "History"};
const char* const HistoryMenuItems[2] = {"&Verlauf...", "&History..."};

const char* const SystemInfoPieceTexts[3] = {"CPU: ~ ", " MHz,   RAM: ", " MB"};
const char* const ExtremeCaptions[4] = {"CPU Minimum", "CPU Maximum", "RAM Minimum", "RAM Maximum"};
const char* const UnitTexts[ReadingRows] = {"%", "%", "Bytes", "Bytes", "%", "Bytes"};

} // namespace

const char* const* LanguageBlock(int8_t language) {
    return language == English ? EnglishBlock : GermanBlock;
}

int8_t SettingValue(int32_t number, int8_t highest) {
    const auto cut = static_cast<int8_t>(static_cast<uint8_t>(number & 0xFF));
    return cut < 0 || cut > highest ? 0 : cut;
}

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
               CommandLineTooLongTexts[state.Language == English ? 1 : 0]);
    AssignText(state.ErrorTexts[ErrorStillRunning],
               StillRunningTexts[state.Language == English ? 1 : 0]);

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
    return Text(GermanBlock[FirstErrorText + code]);
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

const char* HistoryTitle(int8_t language) {
    return HistoryTitles[language == English ? 1 : 0];
}

const char* HistoryMenuItem(int8_t language) {
    return HistoryMenuItems[language == English ? 1 : 0];
}

const char* CurrentCaption(int8_t language) {
    return LanguageBlock(language)[LanguageBlockTexts - 1];
}
