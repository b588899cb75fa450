#include "measure/texts.h"

#include "services/encoding.h"

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

// The history window's title and the system-menu item that opens it (its
// letter after the &, as every item of that menu has one).
const char* const HistoryTitles[2] = {"Verlauf", "History"};
const char* const HistoryMenuItems[2] = {"&Verlauf...", "&History..."};

const char* const PeakNotes[2] = {" (beim letzten Durchgang, evtl. zu niedrig)",
                                   " (at the last pass, may be low)"};

} // namespace

const char* const* LanguageBlock(int8_t language) {
    return StoredTable(language == English ? EnglishBlock : GermanBlock, LanguageBlockTexts);
}

int8_t SettingValue(int32_t number, int8_t highest) {
    const auto cut = static_cast<int8_t>(static_cast<uint8_t>(number & 0xFF));
    return cut < 0 || cut > highest ? 0 : cut;
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

const char* PeakAtLastPassNote(int8_t language) {
    return PeakNotes[language == English ? 1 : 0];
}
