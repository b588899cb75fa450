#include "text.h"

#include <cmath>

namespace {

// Texts never hold a zero byte; a view that does ends at it.
std::string_view Clean(std::string_view text) {
    size_t zero = text.find('\0');
    return zero == std::string_view::npos ? text : text.substr(0, zero);
}

} // namespace

Text IntegerToText(int64_t value) {
    char digits[20];
    int n = 0;
    // Work on the unsigned magnitude so the most negative value cannot overflow.
    uint64_t magnitude =
        value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    Text result;
    result.reserve(static_cast<size_t>(n) + 1);
    if (value < 0) result.push_back('-');
    while (n > 0)
        result.push_back(digits[--n]);
    return result;
}

float RoundToWhole(float value, int32_t mode) {
    double wide = value;
    switch (mode) {
    case CeilingMode:
        return static_cast<float>(std::ceil(wide));
    case HalfAwayMode:
        // NaN fails the comparison and takes the second branch, as zero does.
        if (wide > 0) return static_cast<float>(std::floor(wide + 0.5));
        return static_cast<float>(std::ceil(wide - 0.5));
    default:
        return static_cast<float>(std::floor(wide));
    }
}

int32_t TextLength(std::string_view text) {
    return static_cast<int32_t>(Clean(text).size());
}

Text TextPart(std::string_view text, int32_t start, int32_t count) {
    text = Clean(text);
    if (count <= 0) return Text();
    size_t skip = start <= 1 ? 0 : static_cast<size_t>(start) - 1;
    if (skip >= text.size()) return Text();
    return Text(text.substr(skip, static_cast<size_t>(count)));
}

Text TextTail(std::string_view text, int32_t count) {
    text = Clean(text);
    if (count <= 0) return Text();
    size_t n = static_cast<size_t>(count) < text.size() ? static_cast<size_t>(count) : text.size();
    return Text(text.substr(text.size() - n));
}

Text& AppendText(Text& built, std::string_view text) {
    built.append(Clean(text));
    return built;
}

bool TextEquals(std::string_view a, std::string_view b) {
    return Clean(a) == Clean(b);
}

void AssignText(Text& variable, std::string_view text) {
    variable.assign(Clean(text));
}

void FreeText(Text& variable) {
    Text().swap(variable);
}

void EncodeUtf8(const char* source, int32_t* sourceCount, char* destination,
                int32_t* destinationCount) {
    int32_t available = *sourceCount;
    int32_t room = *destinationCount;
    int32_t used = 0;
    int32_t produced = 0;
    while (used < available && produced < room) {
        unsigned char b = static_cast<unsigned char>(source[used]);
        if (b < 0x80) {
            destination[produced++] = static_cast<char>(b);
        } else {
            // A two-byte sequence is never split across the end of the room.
            if (room - produced < 2) break;
            destination[produced++] = static_cast<char>(0xC0 | (b >> 6));
            destination[produced++] = static_cast<char>(0x80 | (b & 0x3F));
        }
        ++used;
    }
    *sourceCount = used;
    *destinationCount = produced;
}

namespace {

// 21 digit positions: more than the 19 digits of the largest 64-bit magnitude.
constexpr const char* GroupMask = "###.###.###.###.###.###.###";

} // namespace

Text GroupDigits(int64_t value) {
    Text digits = IntegerToText(value);
    const bool negative = TextEquals(TextPart(digits, 1, 1), "-");
    if (negative) digits = TextPart(digits, 2, TextLength(digits));
    const int32_t count = TextLength(digits);
    const int32_t maskLength = TextLength(GroupMask);

    // Find the mask position from which exactly count digit places remain.
    int32_t start = 1;
    int32_t places = 0;
    for (int32_t position = maskLength; position >= 1; --position) {
        if (TextEquals(TextPart(GroupMask, position, 1), "#") && ++places == count) {
            start = position;
            break;
        }
    }

    Text grouped;
    if (negative) AppendText(grouped, "-");
    int32_t next = 1;
    for (int32_t position = start; position <= maskLength; ++position) {
        if (TextEquals(TextPart(GroupMask, position, 1), "."))
            AppendText(grouped, ".");
        else
            AppendText(grouped, TextPart(digits, next++, 1));
    }
    return grouped;
}
