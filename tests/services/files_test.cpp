#include "services/files.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    const char* path;
    const char* fileName;
    const char* directory;
};

TEST(FileNames, SplitIntoDirectoryAndName) {
    static const NameCase cases[] = {
        {R"(C:\Tools\app.exe)", "app.exe", R"(C:\Tools\)"},
        {"app.exe", "app.exe", ""},
        {R"(C:\Tools\)", "", R"(C:\Tools\)"},
        {"C:/Tools/sub/app.exe", "app.exe", "C:/Tools/sub/"},
        {R"(C:\Tools/mixed\app.exe)", "app.exe", R"(C:\Tools/mixed\)"},
        // Quotation marks: the opening one goes from both parts, the closing
        // one from the name.
        {R"("C:\Tools\app.exe")", "app.exe", R"(C:\Tools\)"},
        {R"("C:\My Tools\app.exe" -v)", "app.exe", R"(C:\My Tools\)"},
        {R"("app.exe")", "app.exe", ""},
        // A vertical bar ends the path for the directory part.
        {R"(C:\Tools\app.exe|D:\Other\x.exe)", "x.exe", R"(C:\Tools\)"},
        {R"(C:\Tools\a|b)", "a|b", R"(C:\Tools\)"},
        {"", "", ""},
        {"\"", "", ""},
        {R"(C:\Tools\"")", "", R"(C:\Tools\)"},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(FileNameOf(c.path), c.fileName) << "path " << c.path;
        EXPECT_EQ(DirectoryOf(c.path), c.directory) << "path " << c.path;
    }
    EXPECT_EQ(FileNameOf(nullptr), "");
    EXPECT_EQ(DirectoryOf(nullptr), "");
}

TEST(IsValidFileName, RejectsEmptyNamesControlCharactersAndReservedSigns) {
    static const std::pair<const char*, int32_t> cases[] = {
        {"app.exe", 1},
        {"my app.exe", 1},
        {"Gr\xf6\xdf"
         "e.txt",
         1}, // umlauts and sharp s in ISO 8859-1
        {"\xff", 1},
        {"", 0},
        {"a\tb", 0},
        {"a\x1f", 0},
        {"a\"b", 0},
        {R"(a\b)", 0},
        {"a/b", 0},
        {"a:b", 0},
        {"a*b", 0},
        {"a?b", 0},
        {"a<b", 0},
        {"a>b", 0},
        {"a|b", 0},
        {" ", 1},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(IsValidFileName(name), expected) << "name " << name;
    }
    EXPECT_EQ(IsValidFileName(nullptr), 0);
}

TEST(IsShortcutName, EndsInLnkInAnyCase) {
    for (const char* name : {R"(C:\x\Tool.lnk)", "a.LNK", "b.Lnk", ".lnk"})
        EXPECT_TRUE(IsShortcutName(name)) << name;
    for (const char* name : {"a.lnk.exe", "alnk", "lnk", "", "a.lnk ", "a.ink"})
        EXPECT_FALSE(IsShortcutName(name)) << name;
}

} // namespace

// The bits a start failure names: from the PE header's machine, nothing for
// a file that is no Windows program or is cut short.
TEST(ImageBits, ReadsTheMachineOfTheHeader) {
    std::string image(0x100, '\0');
    image[0] = 'M', image[1] = 'Z', image[0x3C] = char(0x80);
    image.replace(0x80, 4, std::string("PE\0\0", 4));
    image[0x84] = char(0x4C), image[0x85] = char(0x01);
    EXPECT_EQ(ImageBitsOf(image), 32);
    image[0x84] = char(0x64), image[0x85] = char(0x86);
    EXPECT_EQ(ImageBitsOf(image), 64);
    EXPECT_EQ(ImageBitsOf(image.substr(0, 0x82)), 0);
    image[0x3C] = char(0xFF), image[0x3D] = char(0xFF);
    EXPECT_EQ(ImageBitsOf(image), 0);
    EXPECT_EQ(ImageBitsOf("MZ"), 0);
}
