// The Win32 file opener of the settings reader, on real files.
#include "services/settings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <string_view>

namespace {

// A file in the temporary directory, removed again at the end of the test.
class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char directory[MAX_PATH];
        ASSERT_GT(GetTempPathA(MAX_PATH, directory), 0u);
        path_ = std::string(directory) + "brenk_settings_" + std::to_string(GetCurrentProcessId()) +
                ".ini";
        other_ = path_ + ".other";
    }
    void TearDown() override {
        CloseSettingsFile();
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path_.c_str());
        DeleteFileA(other_.c_str());
    }

    static void Write(const std::string& path, std::string_view content) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        EXPECT_TRUE(
            WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
        EXPECT_EQ(written, content.size());
        CloseHandle(file);
    }

    std::string path_;
    std::string other_;
};

TEST_F(SettingsFileTest, MissingFileGivesNoneAndDefaults) {
    EXPECT_EQ(OpenSettingsFile(path_), 0);
    EXPECT_EQ(SelectSettingsGroup("Global"), 0);
    EXPECT_EQ(FindSettingsValue("Language"), nullptr);
    EXPECT_EQ(ReadSettingsNumber("DInterval", 3), 3);
    EXPECT_EQ(OpenSettingsFile(""), 0);
}

TEST_F(SettingsFileTest, ReadsAFileWithAByteOrderMark) {
    Write(path_, "\xEF\xBB\xBF; Brenk\r\n[Global]\r\nLanguage = 1\r\nDInterval=4\r\n");
    EXPECT_NE(OpenSettingsFile(path_), 0);
    EXPECT_EQ(SelectSettingsGroup("GLOBAL"), 1);
    EXPECT_EQ(ReadSettingsNumber("Language", 0), 1);
    EXPECT_EQ(ReadSettingsNumber("dinterval", 0), 4);
}

TEST_F(SettingsFileTest, ShortAndEmptyFilesOpen) {
    const struct {
        const char* content;
        int32_t k;
    } rows[] = {{"", 7},         {"k", 0},   {"\xEF\xBB\xBF", 7},
                {"\xEF\xBB", 7}, {"k=1", 1}, {"\xEF\xBB\xBFk=2", 2}};
    for (const auto& row : rows) {
        CloseSettingsFile(); // the reader holds the file against writers
        Write(path_, row.content);
        EXPECT_NE(OpenSettingsFile(path_), 0) << row.content;
        EXPECT_EQ(ReadSettingsNumber("k", 7), row.k) << row.content;
    }
}

TEST_F(SettingsFileTest, ReadsAFileThatOthersHoldOpen) {
    Write(path_, "k=2");
    // Another holder that lets others read only: opening for writing fails,
    // reading still works.
    HANDLE holder = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_NE(OpenSettingsFile(path_), 0);
    EXPECT_EQ(ReadSettingsNumber("k", 0), 2);
    CloseSettingsFile();
    CloseHandle(holder);

    // A holder that is writing and shares everything.
    holder =
        CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_NE(OpenSettingsFile(path_), 0);
    EXPECT_EQ(ReadSettingsNumber("k", 0), 2);
    CloseSettingsFile();
    CloseHandle(holder);

    // A read-only file.
    ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(OpenSettingsFile(path_), 0);
    EXPECT_EQ(ReadSettingsNumber("k", 0), 2);
}

TEST_F(SettingsFileTest, LetsOthersReadAndReleasesTheFile) {
    Write(path_, "k=1");
    Write(other_, "k=2");
    ASSERT_NE(OpenSettingsFile(path_), 0);
    HANDLE reader = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    EXPECT_FALSE(DeleteFileA(path_.c_str())); // held while open

    // Opening another file closes the first.
    ASSERT_NE(OpenSettingsFile(other_), 0);
    EXPECT_EQ(ReadSettingsNumber("k", 0), 2);
    EXPECT_TRUE(DeleteFileA(path_.c_str()));
    CloseSettingsFile();
    EXPECT_TRUE(DeleteFileA(other_.c_str()));
}

} // namespace
