#include "services/text.h"

#include "services/encoding.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cmath>
#include <thread>
#include <vector>

namespace {

TEST(IntegerToText, GivesPlainDecimalDigitsOverTheWholeRange) {
    const struct {
        int64_t value;
        const char* text;
    } rows[] = {
        {0, "0"},
        {-1, "-1"},
        {7, "7"},
        {10, "10"},
        {2147483647, "2147483647"},
        {-2147483647 - 1, "-2147483648"},
        {2147483648LL, "2147483648"},
        {INT64_MAX, "9223372036854775807"},
        {INT64_MIN, "-9223372036854775808"},
        {static_cast<int16_t>(-1), "-1"}, // 16-bit table entry widened with its sign
    };
    for (const auto& row : rows)
        EXPECT_EQ(IntegerToText(row.value), row.text) << row.value;
}

TEST(RoundToWhole, FollowsItsModes) {
    const struct {
        float value;
        int32_t mode;
        float result;
    } rows[] = {
        {239.4f, CeilingMode, 240.0f},
        {240.0f, CeilingMode, 240.0f},
        {2.5f, HalfAwayMode, 3.0f},
        {-2.5f, HalfAwayMode, -3.0f},
        {0.49f, HalfAwayMode, 0.0f},
        {-1.5f, FloorMode, -2.0f},
        {2.7f, 7, 2.0f},
        {2.7f, -1, 2.0f},
        {0.0f, HalfAwayMode, 0.0f},
    };
    for (const auto& row : rows)
        EXPECT_EQ(RoundToWhole(row.value, row.mode), row.result)
            << row.value << " mode " << row.mode;
    // 0.49999997f + 0.5 would round to 1.0 in single precision; in double it stays below 1.
    EXPECT_EQ(RoundToWhole(0.49999997f, HalfAwayMode), 0.0f);
    EXPECT_TRUE(std::isnan(RoundToWhole(NAN, HalfAwayMode)));
}

TEST(TextParts, ClampStartAndCountAsSpecified) {
    EXPECT_EQ(TextPart("abc", 0, 2), "ab");
    EXPECT_EQ(TextPart("abc", 2, 5), "bc");
    EXPECT_EQ(TextPart("abc", 4, 1), "");
    EXPECT_EQ(TextPart("abc", 1, -1), "");
    EXPECT_EQ(TextPart("abc", -5, 1), "a");
    EXPECT_EQ(TextPart(TextView(nullptr), 1, 3), "");
    EXPECT_EQ(TextTail("abcdef", 2), "ef");
    EXPECT_EQ(TextTail("abc", 5), "abc");
    EXPECT_EQ(TextTail("abc", -3), "");
    EXPECT_EQ(TextTail(TextView(nullptr), 2), "");

    Text long130;
    for (int i = 0; i < 130; ++i)
        long130.push_back(static_cast<char>('A' + i % 26));
    Text tail = TextTail(long130, 128);
    EXPECT_EQ(tail, long130.substr(2));
    // The source may be a temporary of the same expression.
    Text field = long130;
    field = TextTail(field, 128);
    EXPECT_EQ(field, long130.substr(2));
}

TEST(TextBasics, AbsentTextsReadAsEmpty) {
    EXPECT_EQ(TextLength(TextView(nullptr)), 0);
    EXPECT_EQ(TextLength("abc"), 3);
    EXPECT_TRUE(TextEquals(TextView(nullptr), ""));
    EXPECT_FALSE(TextEquals("abc", "ABC"));
    EXPECT_TRUE(TextEquals("abc", "abc"));
    EXPECT_FALSE(TextEquals("abc", "abcd"));

    Text built = "x";
    AppendText(AppendText(built, TextView(nullptr)), "yz");
    EXPECT_EQ(built, "xyz");

    // A variable holds its own copy; released, it reads as absent.
    Text source = "K\xf6nig";
    Text variable;
    AssignText(variable, source);
    source[0] = 'k';
    EXPECT_EQ(variable, "K\xf6nig");
    FreeText(variable);
    EXPECT_EQ(TextLength(variable), 0);
    EXPECT_TRUE(TextEquals(variable, ""));
    EXPECT_EQ(AppendText(variable, "ab"), "ab");
}

TEST(EncodeUtf8, ConvertsLatin1AndRespectsTheRoom) {
    char out[8];
    {
        const char in[] = "\xdc";
        int32_t used = 1, room = 8;
        EncodeUtf8(in, &used, out, &room);
        ASSERT_EQ(room, 2);
        EXPECT_EQ(used, 1);
        EXPECT_EQ(Text(out, 2), "\xc3\x9c");
    }
    {
        const char in[] = "A\xb4";
        int32_t used = 2, room = 8;
        EncodeUtf8(in, &used, out, &room);
        ASSERT_EQ(room, 3);
        EXPECT_EQ(Text(out, 3), "A\xc2\xb4");
    }
    {
        // One byte of room left: a two-byte sequence does not fit, a plain byte would.
        const char in[] = "A\xb4";
        int32_t used = 2, room = 2;
        EncodeUtf8(in, &used, out, &room);
        EXPECT_EQ(used, 1);
        EXPECT_EQ(room, 1);
        const char plain[] = "AB";
        used = 2, room = 2;
        EncodeUtf8(plain, &used, out, &room);
        EXPECT_EQ(used, 2);
        EXPECT_EQ(room, 2);
    }
}

// The sampling worker builds its texts while the main thread builds others,
// and the main thread shows the worker's last text after the worker ended.
TEST(TextThreads, TextsBuiltAtTheSameTimeStayTheirBuildersOwnAndOutliveThem) {
    std::atomic<int> ready{0};
    std::vector<int> failures(2, 0);
    std::vector<Text> last(2);
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([t, &ready, &failures, &last] {
            // Both start together, so that their conversions overlap.
            ++ready;
            while (ready.load() < 2) {
            }
            const int64_t base = t ? -4000000000000LL : 4000000000000LL;
            for (int64_t i = 0; i < 20000; ++i) {
                Text built = IntegerToText(base + i);
                AppendText(built, TextPart(IntegerToText(i), 1, 3));
                const std::string digits = std::to_string(i);
                if (built != std::to_string(base + i) + digits.substr(0, 3))
                    ++failures[static_cast<size_t>(t)];
                AssignText(last[static_cast<size_t>(t)], built);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, (std::vector<int>{0, 0}));
    EXPECT_EQ(last[0], "4000000019999199");
    EXPECT_EQ(last[1], "-3999999980001199");
}

} // namespace

// The process's text in UTF-8: stored texts converted once and kept, other
// texts checked and converted for files that are UTF-8 whatever the system.
TEST(ProcessText, Utf8ProcessConvertsStoredTextsAndCountsCharacters) {
    static const char* const stored[2] = {"Durchg\xE4nge", "Passes"};
    EXPECT_EQ(StoredTable(stored, 2), stored) << "an ANSI process keeps its texts";
    EXPECT_EQ(ToUtf8("\xE4"), "\xC3\xA4");
    SetProcessTextUtf8(true);
    const char* const* table = StoredTable(stored, 2);
    EXPECT_STREQ(table[0], "Durchg\xC3\xA4nge");
    EXPECT_EQ(table[1], stored[1]) << "ASCII is not copied";
    EXPECT_EQ(StoredTable(stored, 2), table) << "converted once";
    EXPECT_EQ(StoredText(stored[0]), table[0]);
    EXPECT_EQ(ToUtf8("\xC3\xA4"), "\xC3\xA4");
    EXPECT_EQ(CharacterCount("H\xC3\xB6" "chster \xE4\xB8\xAD"), 10);
    SetProcessTextUtf8(false);
    EXPECT_TRUE(IsUtf8("\xCE\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    for (const char* bad : {"\xE4", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(IsUtf8(bad)) << bad;
    // "Ω€" and a pair of surrogates, then a lone one.
    EXPECT_EQ(Utf16ToUtf8(std::string_view("\xA9\x03\xAC\x20\x3D\xD8\x00\xDE\x00\xD8", 10)),
              "\xCE\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD");
}
