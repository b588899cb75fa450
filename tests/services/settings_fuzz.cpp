// Fuzz target for the settings parser and lookups: any bytes must parse
// without reading or writing outside the buffer, into elements that obey the
// line format, and every key found by walking the list must be found again by
// the lookups, its number read as strtol reads it.
#include "services/settings.h"

#include "services/settings_reader.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool holds) {
    if (!holds) std::abort();
}

// strtol saturates at the limits of long; narrow that to 32 bits.
int32_t ReferenceNumber(const char* text) {
    long number = std::strtol(text, nullptr, 10);
    if (number > INT32_MAX) return INT32_MAX;
    if (number < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(number);
}

bool SameIgnoringAToZ(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        // toupper of the "C" locale folds a..z only.
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Parses a copy with exactly one byte behind the content, so that the
// sanitizer sees any step past the zero byte, and checks the line format.
void CheckParse(const uint8_t* data, size_t size) {
    std::vector<char> copy(data, data + size);
    copy.push_back('\0');
    const char* begin = copy.data();
    const char* end = begin + size; // the zero byte behind the content
    for (const SettingsElement& element : ParseSettings(copy.data(), size)) {
        for (const char* piece : {element.text, element.value}) {
            Check(piece >= begin && piece <= end);
            std::string_view text(piece);
            Check(text.find_first_of("\r\n") == std::string_view::npos);
        }
        std::string_view text(element.text);
        std::string_view value(element.value);
        switch (element.kind) {
        case SettingsElementKind::Group:
            Check(text.find(']') == std::string_view::npos && value.empty());
            break;
        case SettingsElementKind::Comment:
            Check(value.empty());
            break;
        case SettingsElementKind::Key:
            Check(text.find('=') == std::string_view::npos);
            if (!text.empty()) {
                Check(text.front() != ' ' && text.front() != '\t' && text.front() != ';' &&
                      text.front() != '[');
                Check(text.back() != ' ' && text.back() != '\t');
            }
            if (!value.empty()) Check(value.front() != ' ' && value.front() != '\t');
            break;
        }
    }
}

// Every key reached by walking the list is looked up again by selecting its
// group and asking for it: the answer is the value of the first matching key
// under the first header of that name, or none.
void CheckLookups(const uint8_t* data, size_t size) {
    OpenSettingsBytes(reinterpret_cast<const char*>(data), size);
    // A UTF-16 file is read as UTF-8, as one with the UTF-8 mark.
    const bool utf8 = StartsWithUtf8Mark(reinterpret_cast<const char*>(data), size) ||
                      (size >= 2 && data[0] == 0xFF && data[1] == 0xFE);
    const std::vector<SettingsElement>& elements = SettingsElementsOfThisThread();
    ptrdiff_t group = -1;
    int checked = 0;
    for (size_t i = 0; i < elements.size() && checked < 256; ++i) {
        if (elements[i].kind == SettingsElementKind::Group) group = static_cast<ptrdiff_t>(i);
        if (elements[i].kind != SettingsElementKind::Key) continue;
        std::string_view groupName = group < 0 ? "" : elements[group].text;
        std::string_view key = elements[i].text;
        // The empty name selects the top, so keys under "[]" cannot be reached;
        // names of a UTF-8 file are asked for in Latin-1, which this skips.
        if (group >= 0 && groupName.empty()) continue;
        if (utf8 && !(IsAscii(groupName) && IsAscii(key))) continue;
        ++checked;

        Check(SelectSettingsGroup(groupName) == 1);
        size_t first = 0;
        if (group >= 0) {
            while (elements[first].kind != SettingsElementKind::Group ||
                   !SameIgnoringAToZ(elements[first].text, groupName))
                ++first;
            ++first;
        }
        const char* expected = nullptr;
        for (size_t j = first; j < elements.size(); ++j) {
            if (elements[j].kind == SettingsElementKind::Group) break;
            if (elements[j].kind == SettingsElementKind::Key &&
                SameIgnoringAToZ(elements[j].text, key)) {
                expected = elements[j].value;
                break;
            }
        }
        // Under a later header of the same name a key may be out of reach;
        // under the first one it is always found.
        bool firstOfItsName = group < 0 || first == static_cast<size_t>(group) + 1;
        Check(expected != nullptr || !firstOfItsName);
        Check(FindSettingsValue(key) == expected);
        Check(ReadSettingsNumber(key, -5) == (expected ? ReferenceNumber(expected) : -5));
    }
    CloseSettingsFile();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckParse(data, size);
    CheckLookups(data, size);
    std::string text(reinterpret_cast<const char*>(data), size);
    Check(SettingsNumber(text.c_str()) == ReferenceNumber(text.c_str()));
    return 0;
}
