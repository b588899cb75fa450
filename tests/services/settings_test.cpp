#include "services/settings.h"

#include "services/encoding.h"
#include "services/settings_reader.h"
#include "services/text.h"
#include "services/thread_state.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using namespace std::literals;

void Open(std::string_view content) {
    OpenSettingsBytes(content.data(), content.size());
}

// The calling thread's elements written one per entry: "[name]", ";text" or
// "key=value", so that a table can list what a file parses into.
std::vector<std::string> Elements() {
    std::vector<std::string> written;
    for (const SettingsElement& element : SettingsElementsOfThisThread()) {
        switch (element.kind) {
        case SettingsElementKind::Group:
            written.push_back("["s + element.text + "]");
            break;
        case SettingsElementKind::Comment:
            written.push_back(";"s + element.text);
            break;
        case SettingsElementKind::Key:
            written.push_back(element.text + "="s + element.value);
            break;
        }
    }
    return written;
}

std::string Shown(const char* value) {
    return value ? "\"" + std::string(value) + "\"" : "none";
}

class SettingsTest : public ::testing::Test {
  protected:
    void TearDown() override { CloseSettingsFile(); }
};

TEST_F(SettingsTest, ParsesEachKindOfLine) {
    const struct {
        std::string content;
        std::vector<std::string> elements;
    } rows[] = {
        {"", {}},
        {"\xEF\xBB\xBF", {}},
        {"\r\n\n\r\r", {}},
        {"   \t \r\n\t\n", {}}, // blank-only lines are empty lines
        {"=", {"="}},
        {"key", {"key="}},
        {"key \t", {"key="}},
        {"key\nnext=1", {"key=", "next=1"}},
        {"  \tKey = value", {"Key=value"}},
        {"k=  v \t ", {"k=v \t "}},
        {"k=1 ; not a comment", {"k=1 ; not a comment"}},
        {"a=b=c", {"a=b=c"}},
        {"a ;b=c", {"a ;b=c"}},
        {"k=", {"k="}},
        {"k=   ", {"k="}},
        {"=v", {"=v"}},
        {"  = v", {"=v"}},
        {"x]=[y", {"x]=[y"}},
        {";text", {";text"}},
        {"; text", {";text"}},
        {";  two", {"; two"}},
        {";\ttab", {";\ttab"}},
        {";", {";"}},
        {"  ; inner=1", {";inner=1"}},
        {"[Global]", {"[Global]"}},
        {"[ Global ]", {"[ Global ]"}},
        {"[a]b]", {"[a]"}},
        {"[a] k=1", {"[a]"}},
        {"[no close", {"[no close]"}},
        {"[no close\nk=1", {"[no close]", "k=1"}},
        {"[", {"[]"}},
        {"[]", {"[]"}},
        {"[a=b]", {"[a=b]"}},
        {"a=1\0b=2"s, {"a=1", "b=2"}},
        {"a=x\0yz"s, {"a=x", "yz="}},
        {"[g\0h]"s, {"[g]", "h]="}},
        {"a\0"s, {"a="}},
        {"\xEF\xBB\xBF[g]\r\nk=v", {"[g]", "k=v"}},
        {"\xEF\xBB", {"\xEF\xBB="}},
        {" \xEF\xBB\xBFk=v", {"\xEF\xBB\xBFk=v"}}, // a mark not at the very start is content
    };
    for (const auto& row : rows) {
        Open(row.content);
        EXPECT_EQ(Elements(), row.elements) << "content: \"" << row.content << "\"";
    }
}

TEST_F(SettingsTest, EveryKindOfLineEndReadsTheSame) {
    const std::vector<std::string> expected = {"[Global]", ";note", "Language=1", "DInterval=5"};
    const char* ends[] = {"\r", "\n", "\r\n", "\n\r", "\r\n\r\n", "\n\n\n", "\0"};
    for (const char* end : ends) {
        // "\0" as a C string is empty; the zero byte itself is meant.
        std::string e = *end ? end : "\0"s;
        std::string content = "[Global]" + e + "; note" + e + "Language=1" + e + "DInterval=5";
        Open(content);
        EXPECT_EQ(Elements(), expected) << "line end of " << e.size() << " bytes";
        Open(content + e);
        EXPECT_EQ(Elements(), expected) << "with a final line end of " << e.size() << " bytes";
        Open("\xEF\xBB\xBF" + content + e);
        EXPECT_EQ(Elements(), expected) << "after a byte-order mark";
    }
}

// One file, a sequence of operations on it and what each must give.
enum class Step { Select, Find, Read };
struct Operation {
    Step step;
    std::string_view name;
    const char* result; // Select: "1"/"0"; Find: text or nullptr; Read: the number
};

void Play(std::string_view content, const std::vector<Operation>& operations) {
    Open(content);
    int row = 0;
    for (const Operation& op : operations) {
        ++row;
        std::string name(op.name);
        switch (op.step) {
        case Step::Select:
            EXPECT_EQ(SelectSettingsGroup(op.name), std::stoi(op.result))
                << "row " << row << ": select " << name;
            break;
        case Step::Find:
            EXPECT_EQ(Shown(FindSettingsValue(op.name)), Shown(op.result))
                << "row " << row << ": find " << name;
            break;
        case Step::Read:
            EXPECT_EQ(ReadSettingsNumber(op.name, -77), std::stoi(op.result))
                << "row " << row << ": read " << name;
            break;
        }
    }
}

constexpr std::string_view sample = "top=T\r\n"
                                    "[global]\r\n"
                                    "  language  =  1\r\n"
                                    "DInterval=5 ; seconds\r\n"
                                    "Pad=7   \r\n"
                                    "; Language=9\r\n"
                                    "Bare\r\n"
                                    "Twice=first\r\n"
                                    "twice=second\r\n"
                                    "[ Global ]\r\n"
                                    "Language=2\r\n"
                                    "[GLOBAL]\r\n"
                                    "Language=3\r\n"
                                    "Only=3\r\n"
                                    "[Other]\r\n"
                                    "Key=a\r\n"
                                    "[\xC4rger]\r\n"
                                    "K=\xC4\r\n";

TEST_F(SettingsTest, LooksUpKeysInTheSelectedGroup) {
    Play(sample, {
                     {Step::Find, "top", "T"}, // before any group, only top keys
                     {Step::Find, "Language", nullptr},
                     {Step::Select, "Global", "1"},
                     {Step::Find, "Language", "1"},
                     {Step::Read, "LANGUAGE", "1"},
                     {Step::Find, "DInterval", "5 ; seconds"},
                     {Step::Read, "DInterval", "5"},
                     {Step::Find, "pad", "7   "},
                     {Step::Find, "Bare", ""},
                     {Step::Read, "Bare", "0"},
                     {Step::Find, "Twice", "first"},
                     {Step::Find, "top", nullptr},
                     {Step::Find, "Only", nullptr}, // under the second [GLOBAL] only
                     {Step::Find, "Key", nullptr},
                     {Step::Read, "Key", "-77"},
                     {Step::Find, "", nullptr},
                     {Step::Find, "Language\0x"sv, "1"}, // a name ends at a zero byte
                     {Step::Select, "Other", "1"},
                     {Step::Find, "KEY", "a"},
                     {Step::Find, "Language", nullptr},
                     {Step::Select, " Global ", "1"},
                     {Step::Find, "Language", "2"},
                     {Step::Select, "Missing", "0"},
                     {Step::Find, "Language", nullptr}, // the old group is not kept
                     {Step::Read, "Language", "-77"},
                     {Step::Select, "", "1"},
                     {Step::Find, "top", "T"},
                     {Step::Select, "Missing", "0"},
                     {Step::Select, "Other", "1"}, // a found group ends the pending one
                     {Step::Find, "Key", "a"},
                     {Step::Select, "\xE4rger", "0"}, // only A..Z fold
                     {Step::Select, "\xC4RGER", "1"},
                     {Step::Find, "k", "\xC4"},
                 });
}

TEST_F(SettingsTest, BlanksInsideBracketsArePartOfTheName) {
    Play("[ Global ]\nLanguage=1\n", {{Step::Select, "Global", "0"},
                                      {Step::Find, "Language", nullptr},
                                      {Step::Select, " global ", "1"},
                                      {Step::Find, "Language", "1"}});
}

TEST_F(SettingsTest, FileOfOnlyAnEqualsSignHasOneEmptyKey) {
    Play("=", {{Step::Find, "", ""},
               {Step::Read, "", "0"},
               {Step::Find, "x", nullptr},
               {Step::Select, "", "1"},
               {Step::Select, "x", "0"}});
}

TEST_F(SettingsTest, NamesOfAUtf8FileAreAskedForInLatin1) {
    // "[Größe]" and "Maß=ä" in UTF-8 behind a byte-order mark.
    constexpr std::string_view utf8 = "\xEF\xBB\xBF[Gr\xC3\xB6\xC3\x9F"
                                      "e]\nMa\xC3\x9F=\xC3\xA4\n";
    Play(utf8, {{Step::Select,
                 "Gr\xF6\xDF"
                 "e",
                 "1"},
                {Step::Find, "Ma\xDF", "\xC3\xA4"}, // the value stays as stored
                {Step::Find, "Ma\xC3\x9F", nullptr}});
    // Without the mark the same bytes are taken as they are.
    Play(utf8.substr(3), {{Step::Select,
                           "Gr\xF6\xDF"
                           "e",
                           "0"},
                          {Step::Select,
                           "GR\xC3\xB6\xC3\x9F"
                           "E",
                           "1"},
                          {Step::Find, "ma\xC3\x9F", "\xC3\xA4"}});
}

TEST_F(SettingsTest, ALongNameOfAUtf8FileConvertsWhole) {
    std::string name(5000, 'a');
    name[4999] = '\xE9';
    std::string stored = name.substr(0, 4999) + "\xC3\xA9";
    Play("\xEF\xBB\xBF[" + stored + "]\n" + stored + "=1\n",
         {{Step::Select, name, "1"},
          {Step::Read, name, "1"},
          {Step::Find, name.substr(1), nullptr}});
}

TEST(SettingsNumber, ReadsAsAtoiAndSaturates) {
    const struct {
        const char* text;
        int32_t number;
    } rows[] = {
        {"", 0},
        {"1", 1},
        {"007", 7},
        {"12abc", 12},
        {"1 ; comment", 1},
        {"abc", 0},
        {"-12", -12},
        {"+5", 5},
        {"-0", 0},
        {"- 5", 0},
        {"--5", 0},
        {"+-5", 0},
        {" \t\v\f\r\n42", 42},
        {"4 2", 4},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"99999999999999999999999999", INT32_MAX},
        {"-99999999999999999999999999", INT32_MIN},
        {"00000000000000000000000000012", 12},
    };
    for (const auto& row : rows)
        EXPECT_EQ(SettingsNumber(row.text), row.number) << "\"" << row.text << "\"";
}

TEST_F(SettingsTest, NothingOpenGivesNoneAndDefaults) {
    CloseSettingsFile();
    EXPECT_EQ(SelectSettingsGroup("Global"), 0);
    EXPECT_EQ(SelectSettingsGroup(""), 0);
    EXPECT_EQ(FindSettingsValue("top"), nullptr);
    EXPECT_EQ(ReadSettingsNumber("top", 9), 9);

    Open(sample);
    EXPECT_STREQ(FindSettingsValue("top"), "T");
    CloseSettingsFile();
    EXPECT_EQ(FindSettingsValue("top"), nullptr);
    EXPECT_TRUE(SettingsElementsOfThisThread().empty());
    CloseSettingsFile(); // closing twice is harmless
}

TEST_F(SettingsTest, OpeningAgainStartsFromTheTop) {
    Open(sample);
    EXPECT_EQ(SelectSettingsGroup("Missing"), 0);
    EXPECT_NE(OpenSettingsBytes(sample.data(), sample.size()), 0);
    EXPECT_STREQ(FindSettingsValue("top"), "T"); // no pending group is kept
    EXPECT_EQ(SelectSettingsGroup("Other"), 1);
    Open("k=v");
    EXPECT_STREQ(FindSettingsValue("k"), "v"); // nor a current group
}

TEST_F(SettingsTest, EachThreadHasItsOwnReader) {
    Open("k=main");
    int32_t before = LivePerThreadStates();
    const char* beforeOpen = "unset";
    std::string afterOpen;
    std::thread other([&] {
        beforeOpen = FindSettingsValue("k");
        Open("k=other");
        afterOpen = TextView(FindSettingsValue("k"));
    });
    other.join();
    EXPECT_EQ(beforeOpen, nullptr);
    EXPECT_EQ(afterOpen, "other");
    EXPECT_STREQ(FindSettingsValue("k"), "main");
    EXPECT_EQ(LivePerThreadStates(), before); // the thread's reader ended with it
}

TEST_F(SettingsTest, GarbageAndLargeFilesParseCompletely) {
    std::string garbage;
    uint32_t seed = 12345;
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage += static_cast<char>(seed >> 24);
    }
    Open(garbage);
    for (const SettingsElement& element : SettingsElementsOfThisThread()) {
        EXPECT_EQ(std::string_view(element.text).find_first_of("\r\n"), std::string_view::npos);
    }

    // Many lines, the last key still found.
    std::string many = "[g]\n";
    for (int i = 0; i < 50000; ++i)
        many += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    Open(many);
    EXPECT_EQ(SettingsElementsOfThisThread().size(), 50001u);
    EXPECT_EQ(SelectSettingsGroup("G"), 1);
    EXPECT_EQ(ReadSettingsNumber("KEY49999", -1), 49999);

    // One line of a megabyte.
    std::string longLine = "k=" + std::string(1 << 20, 'x');
    Open(longLine);
    EXPECT_EQ(std::string_view(FindSettingsValue("k")).size(), size_t{1} << 20);
}

} // namespace

// A log folder "Jürgen" as Notepad saves it: UTF-16 with its mark, UTF-8 with
// or without one, or ANSI; a UTF-8 process reads each as "J\xC3\xBCrgen".
TEST(SettingsEncoding, EveryEditorsFileGivesTheSameValue) {
    const std::string utf16("\xFF\xFE[\0G\0]\0\n\0L\0=\0J\0\xFC\0r\0g\0e\0n\0", 26);
    SetProcessTextUtf8(true);
    for (const std::string& file :
         {utf16, "[G]\nL=J\xC3\xBCrgen"s, "\xEF\xBB\xBF[G]\nL=J\xC3\xBCrgen"s, "[G]\nL=J\xFCrgen"s}) {
        Open(file);
        ASSERT_EQ(SelectSettingsGroup("G"), 1);
        const char* value = FindSettingsValue("L");
        EXPECT_STREQ(value ? value : "", "J\xC3\xBCrgen") << file;
    }
    SetProcessTextUtf8(false);
    Open("[G]\nL=J\xFCrgen");
    ASSERT_EQ(SelectSettingsGroup("G"), 1);
    EXPECT_STREQ(FindSettingsValue("L"), "J\xFCrgen") << "an ANSI process reads ANSI as it is";
    CloseSettingsFile();
}
