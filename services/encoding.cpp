#include "services/encoding.h"

#include <atomic>
#include <cstdint>
#include <forward_list>
#include <mutex>
#include <memory>

#include "services/lock.h"

namespace {

std::atomic<bool> processUtf8{false};

// The converted texts and tables, never moved once made.
Lock storedLock;
std::forward_list<std::pair<const char*, Text>> storedTexts;
std::forward_list<std::pair<const char* const*, std::unique_ptr<const char*[]>>> storedTables;

bool IsAscii(const char* text) {
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

void AppendCodePoint(Text& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

Text Latin1ToUtf8(std::string_view latin1) {
    Text out;
    out.reserve(latin1.size());
    for (const char c : latin1)
        AppendCodePoint(out, static_cast<unsigned char>(c));
    return out;
}

} // namespace

void SetProcessTextUtf8(bool utf8) {
    processUtf8.store(utf8);
}

bool ProcessTextIsUtf8() {
    return processUtf8.load();
}

Text FromLatin1(std::string_view latin1) {
    return ProcessTextIsUtf8() ? Latin1ToUtf8(latin1) : Text(latin1);
}

Text ToUtf8(std::string_view text) {
    return ProcessTextIsUtf8() ? Text(text) : Latin1ToUtf8(text);
}

const char* StoredText(const char* latin1) {
    if (!ProcessTextIsUtf8() || IsAscii(latin1)) return latin1;
    std::lock_guard hold(storedLock);
    for (const auto& [stored, text] : storedTexts)
        if (stored == latin1) return text.c_str();
    storedTexts.emplace_front(latin1, Latin1ToUtf8(latin1));
    return storedTexts.front().second.c_str();
}

const char* const* StoredTable(const char* const* latin1, size_t count) {
    if (!ProcessTextIsUtf8()) return latin1;
    {
        std::lock_guard hold(storedLock);
        for (const auto& [stored, table] : storedTables)
            if (stored == latin1) return table.get();
    }
    std::unique_ptr<const char*[]> table(new const char*[count]);
    for (size_t i = 0; i < count; ++i)
        table[i] = StoredText(latin1[i]);
    std::lock_guard hold(storedLock);
    storedTables.emplace_front(latin1, std::move(table));
    return storedTables.front().second.get();
}

int32_t CharacterCount(std::string_view text) {
    if (!ProcessTextIsUtf8()) return static_cast<int32_t>(text.size());
    int32_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

bool IsUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        uint32_t c = 0;
        uint32_t least = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            length = 2, c = b & 0x1F, least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3, c = b & 0x0F, least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4, c = b & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

Text Utf16ToUtf8(std::string_view bytes) {
    Text out;
    out.reserve(bytes.size());
    const size_t units = bytes.size() / 2;
    const auto unit = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * at])) |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * at + 1])) << 8;
    };
    for (size_t i = 0; i < units; ++i) {
        uint32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendCodePoint(out, c);
    }
    return out;
}
