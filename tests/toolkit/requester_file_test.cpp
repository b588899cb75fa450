// The open-file requester driven from a helper thread: it finds the dialog,
// reads where it started, puts a path into the name box and confirms, or
// cancels. Messages rather than real keys, so that another program taking the
// shared test display's foreground cannot misdirect the input.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "requester_drive.h"
#include "toolkit/requesters.h"

namespace {

constexpr const char* Title = "Choose Program...";
constexpr const char* Patterns = "Executable (*.exe)|*.exe";

struct Seen {
    bool dialogFound = false;
    std::string folder;
    std::string name;
    bool otherWindowEnabled = true;
    bool refused = false;
};

class FileRequester : public testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof(temp), temp);
        directory = std::string(temp) + "brenk requester " + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(directory.c_str(), nullptr);
        existing = directory + "\\run.exe";
        HANDLE file = CreateFileA(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, "MZ", 2, &written, nullptr);
        CloseHandle(file);
        // Another window of this thread, visible but not in the foreground:
        // the requester must keep it disabled while it is up.
        other = CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                                100, nullptr, nullptr, nullptr, nullptr);
    }

    void TearDown() override {
        DestroyWindow(other);
        DeleteFileA(existing.c_str());
        RemoveDirectoryA(directory.c_str());
    }

    // Runs the requester with defaultFile while act drives the dialog on a
    // helper thread; returns the requester's result.
    std::string Run(const char* defaultFile, const std::function<void(HWND)>& act) {
        std::thread helper([&] {
            HWND dialog = drive::WaitForDialog(Title);
            seen.dialogFound = dialog != nullptr;
            if (!dialog) return;
            seen.folder = drive::FolderOf(dialog);
            seen.name = drive::WindowText(drive::NameBox(dialog));
            seen.otherWindowEnabled = IsWindowEnabled(other) != FALSE;
            act(dialog);
            // Whatever act did, the dialog must go so that the test ends.
            if (!drive::PollUntil([&] { return !IsWindow(dialog); }, 5000)) {
                if (HWND error = drive::OwnedDialogOf(dialog)) {
                    PostMessageA(error, WM_COMMAND, IDOK, 0);
                }
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }
        });
        const Text result = ChooseFileToOpen(Title, defaultFile, Patterns, 0);
        helper.join();
        return result;
    }

    // Puts path into the name box and presses the dialog's OK button.
    static void TypeAndConfirm(HWND dialog, const std::string& path) {
        SendMessageA(drive::NameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }

    static void Cancel(HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

    std::string directory;
    std::string existing;
    HWND other = nullptr;
    Seen seen;
};

TEST_F(FileRequester, ReturnsTheTypedPathAndKeepsTheCurrentDirectory) {
    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof(before), before);
    // A file that does not exist yet is fine as long as its directory does.
    const std::string typed = directory + "\\not there yet.exe";
    const std::string result =
        Run(existing.c_str(), [&](HWND dialog) { TypeAndConfirm(dialog, typed); });
    ASSERT_TRUE(seen.dialogFound);
    EXPECT_EQ(seen.folder, directory);
    EXPECT_EQ(seen.name, "run.exe");
    EXPECT_FALSE(seen.otherWindowEnabled);
    EXPECT_EQ(result, typed);
    char after[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof(after), after);
    EXPECT_STREQ(after, before);
    EXPECT_TRUE(IsWindowEnabled(other));
    EXPECT_EQ(SuspendedWindowCount(), 0);
}

TEST_F(FileRequester, CancelGivesEmptyAndReenablesTheOtherWindows) {
    const std::string defaultFile = directory + "\\";
    const std::string result = Run(defaultFile.c_str(), Cancel);
    ASSERT_TRUE(seen.dialogFound);
    EXPECT_EQ(seen.folder, directory);
    EXPECT_EQ(seen.name, "");
    EXPECT_FALSE(seen.otherWindowEnabled);
    EXPECT_EQ(result, "");
    EXPECT_TRUE(IsWindowEnabled(other));
    EXPECT_EQ(SuspendedWindowCount(), 0);
}

TEST_F(FileRequester, StartsInTheDirectoryPartWithTheNamePrefilledOnlyWhenValid) {
    struct Case {
        std::string name;
        std::string expectedName;
    };
    const Case cases[] = {
        {"app.exe", "app.exe"},
        {"a|b.exe", ""},  // vertical bar
        {"a\tb.exe", ""}, // control character
        {"a?.exe", ""},
    };
    for (const Case& c : cases) {
        seen = {};
        const std::string defaultFile = directory + "\\" + c.name;
        const std::string result = Run(defaultFile.c_str(), Cancel);
        ASSERT_TRUE(seen.dialogFound) << c.name;
        EXPECT_EQ(seen.folder, directory) << c.name;
        EXPECT_EQ(seen.name, c.expectedName) << c.name;
        EXPECT_EQ(result, "") << c.name;
    }
}

TEST_F(FileRequester, RefusesAPathInAMissingDirectory) {
    const std::string typed = directory + "\\missing\\run.exe";
    const std::string result = Run(existing.c_str(), [&](HWND dialog) {
        TypeAndConfirm(dialog, typed);
        // The dialog answers with an error box of its own and stays up.
        HWND error = drive::WaitForOwnedDialog(dialog, 5000);
        seen.refused = error != nullptr && IsWindow(dialog);
        if (error) PostMessageA(error, WM_COMMAND, IDOK, 0);
        drive::PollUntil([&] { return !IsWindow(error); }, 5000);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_TRUE(seen.dialogFound);
    EXPECT_TRUE(seen.refused);
    EXPECT_EQ(result, "");
}

} // namespace
