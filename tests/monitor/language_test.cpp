#include "monitor/language.h"

#include <gtest/gtest.h>

#include <set>

namespace {

MonitorState& Composed(MonitorState& state, int32_t language, int32_t defaultInterval) {
    ApplySettings(state, language, defaultInterval);
    ComposeMonitorTexts(state);
    return state;
}

TEST(SettingValue, CutsToSignedEightBitsThenChecksTheRange) {
    const struct {
        int32_t number;
        int8_t highest;
        int8_t kept;
    } rows[] = {
        {0, 1, 0},         {1, 1, 1},         {2, 1, 0},    {-1, 1, 0}, {257, 1, 1},
        {255, 1, 0},       {511, 1, 0},       {9, 9, 9},    {10, 9, 0}, {266, 9, 0},
        {265, 9, 9},       {-1, 9, 0},        {-247, 9, 9}, // low byte 0x09
        {INT32_MIN, 9, 0}, {INT32_MAX, 9, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(SettingValue(row.number, row.highest), row.kept)
            << row.number << " within 0.." << int{row.highest};
}

TEST(ApplySettings, StartsTheIntervalAtTheDefault) {
    MonitorState state;
    ApplySettings(state, 257, 4);
    EXPECT_EQ(state.Language, English);
    EXPECT_EQ(state.DefaultIntervalIndex, 4);
    EXPECT_EQ(state.IntervalIndex, 4);
    ApplySettings(state, 2, 266);
    EXPECT_EQ(state.Language, German);
    EXPECT_EQ(state.DefaultIntervalIndex, 0);
    EXPECT_EQ(state.IntervalIndex, 0);
}

TEST(ComposeMonitorTexts, ColumnTextsLineUpInBothLanguages) {
    MonitorState german;
    Composed(german, 0, 0);
    EXPECT_EQ(german.CaptionsText,
              "CPU Minimum\nCPU Maximum\n\nRAM Minimum\nRAM Maximum\n\nCPU Aktuell\nRAM Aktuell");
    EXPECT_EQ(german.ColonsText, ":\n:\n\n:\n:\n\n:\n:");
    EXPECT_EQ(german.UnitsText, "%\n%\n\nBytes\nBytes\n\n%\nBytes");

    MonitorState english;
    Composed(english, 1, 0);
    EXPECT_EQ(english.CaptionsText,
              "CPU Minimum\nCPU Maximum\n\nRAM Minimum\nRAM Maximum\n\nCPU Current\nRAM Current");
    EXPECT_EQ(english.ColonsText, german.ColonsText);
    EXPECT_EQ(english.UnitsText, german.UnitsText);
}

TEST(ComposeMonitorTexts, FillsTheTablesFromTheChosenBlock) {
    MonitorState english;
    Composed(english, 1, 0);
    EXPECT_EQ(english.StateTexts[StateCredit], "Brenk v0.1b by the Brenk project");
    EXPECT_EQ(english.StateTexts[StateNotOpened], "Program not opened !");
    EXPECT_EQ(english.StateTexts[StateTerminated], "Program terminated");
    EXPECT_EQ(english.ErrorTexts[ErrorNoWindow], "Couldn\xB4t open a Window !");
    EXPECT_EQ(english.ErrorTexts[ErrorNotStarted], "Unable to start Program !");
    EXPECT_EQ(english.CaptionTexts[CaptionProgram], "Observed Program");
    EXPECT_EQ(english.CaptionTexts[CaptionCurrent], "Current");
    EXPECT_EQ(english.ErrorTexts[7], "");
    EXPECT_EQ(english.ErrorTexts[ErrorCommandLineTooLong],
              "Command-Line longer than 128 characters !");
    EXPECT_EQ(english.StateTexts[6], "");
    EXPECT_EQ(english.CaptionTexts[9], "");

    MonitorState german;
    Composed(german, 0, 0);
    EXPECT_EQ(german.StateTexts[StateCredit], english.StateTexts[StateCredit]);
    EXPECT_EQ(german.StateTexts[StateRunning], "Programm l\xE4uft...");
    EXPECT_EQ(german.ErrorTexts[ErrorNoSettingsFile], "<Brenk.ini> nicht gefunden !");
    EXPECT_EQ(german.ErrorTexts[ErrorCommandLineTooLong],
              "Kommandozeile l\xE4nger als 128 Zeichen !");
    EXPECT_EQ(german.CaptionTexts[CaptionProgram], "\xDC"
                                                   "berwachtes Programm");
    EXPECT_EQ(german.CaptionTexts[CaptionOpen], "Programm \xF6"
                                                "ffnen");
    EXPECT_EQ(german.CaptionTexts[CaptionCurrent], "Aktuell");
}

// The window shows the texts in the ANSI code page: a UTF-8 sequence slipped in
// from a source file would show as two wrong characters.
TEST(LanguageBlock, HoldsIsoLatin1TextsOnly) {
    const std::set<unsigned char> allowed = {0xB4, 0xC4, 0xD6, 0xDC, 0xDF, 0xE4, 0xF6, 0xFC};
    for (int8_t language : {German, English}) {
        const char* const* block = LanguageBlock(language);
        for (int32_t i = 0; i < LanguageBlockTexts; ++i) {
            const std::string text = block[i];
            EXPECT_FALSE(text.empty()) << "language " << int{language} << " text " << i;
            for (unsigned char c : text) {
                const bool latin = c < 0x80 || allowed.count(c) != 0;
                EXPECT_TRUE(latin) << "byte " << int{c} << " in " << text;
            }
        }
    }
    EXPECT_EQ(LanguageBlock(2), LanguageBlock(German));
}

TEST(ErrorText, ShowsGermanUntilTheTablesAreFilled) {
    MonitorState state;
    EXPECT_EQ(ErrorText(state, ErrorNoSettingsFile), "<Brenk.ini> nicht gefunden !");
    EXPECT_EQ(ErrorText(state, ErrorNoPsapi), "Konnte <Psapi.dll> nicht finden !");
    Composed(state, 1, 0);
    EXPECT_EQ(ErrorText(state, ErrorNoSettingsFile), "<Brenk.ini> not found !");
    EXPECT_EQ(ErrorText(state, ErrorRegistry), "Couldn\xB4t acces Registry !");
    EXPECT_EQ(ErrorText(state, 7), "");
    EXPECT_EQ(ErrorText(state, -1), "");
}

TEST(Intervals, RunFromOneToTenSeconds) {
    MonitorState state;
    Composed(state, 1, 4);
    for (int32_t i = 0; i < IntervalCount; ++i)
        EXPECT_EQ(IntervalText(state, i), IntegerToText((i + 1) * 1000));
    EXPECT_EQ(IntervalText(state, 10), "");
    EXPECT_EQ(IntervalText(state, -1), "");
    EXPECT_EQ(DefaultIntervalCaption(state), "Default : 5000 ms");

    MonitorState german;
    Composed(german, 0, 9);
    EXPECT_EQ(DefaultIntervalCaption(german), "Standard : 10000 ms");
    Composed(german, 0, -1);
    EXPECT_EQ(DefaultIntervalCaption(german), "Standard : 1000 ms");
}

TEST(LimitedCommandLine, KeepsTheLast128Characters) {
    std::string pasted;
    for (int i = 0; i < 200; ++i)
        pasted += static_cast<char>('A' + i % 26);
    EXPECT_EQ(LimitedCommandLine(pasted), pasted.substr(72));
    EXPECT_EQ(LimitedCommandLine(pasted.substr(0, 128)), pasted.substr(0, 128));
    EXPECT_EQ(LimitedCommandLine(pasted.substr(0, 127)), pasted.substr(0, 127));
    EXPECT_EQ(LimitedCommandLine(""), "");
}

} // namespace
