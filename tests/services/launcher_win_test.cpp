#include "services/launcher.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "services/job.h"
#include "services/launch.h"
#include "services/launch_errors.h"
#include "services/owned_handle.h"
#include "tests/programs/test_programs.h"
#include "tests/services/service_test_support.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string CurrentDirectory() {
    char directory[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    return directory;
}

std::string WithoutTrailingBackslash(std::string path) {
    if (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

// A second handle of our own on the started process, to read its exit code.
OwnedHandle OpenForExitCode(LaunchRecord* record) {
    return OwnedHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                   static_cast<DWORD>(ProcessIdOf(record))));
}

DWORD ExitCodeOf(const OwnedHandle& process) {
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

bool Ended(LaunchRecord* record) {
    return PollUntil([record] { return IsProgramAlive(record) == 0; });
}

class LauncherTest : public testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(LiveLaunchRecords(), liveBefore_); }
    const int32_t liveBefore_ = LiveLaunchRecords();
};

// The child writes its current directory and its argv into a file; a copy
// of it in a folder with blanks proves the path arrives as one token.
TEST_F(LauncherTest, ChildSeesItsWholePathItsParametersAndTheGivenDirectory) {
    ScratchFolder folder("launch args");
    ScratchFolder workFolder("launch work");
    const std::string program = folder / "write args.exe";
    ASSERT_TRUE(CopyFileA(TestProgramPath("write_args.exe").c_str(), program.c_str(), FALSE));
    const std::string output = folder / "seen args.txt";

    const std::string parameters = "\"" + output + "\" -v 2 \"x y\"";
    LaunchRecord* record =
        LaunchProgram(program.c_str(), parameters.c_str(), workFolder.path().c_str(), LaunchOpen);
    ASSERT_NE(record, nullptr);
    EXPECT_GT(ProcessIdOf(record), 0);
    ASSERT_TRUE(Ended(record));
    ReleaseLaunched(record);

    const std::vector<std::string> expected = {
        WithoutTrailingBackslash(workFolder.path()), program, output, "-v", "2", "x y"};
    EXPECT_EQ(Lines(ReadWholeFile(output)), expected);
}

TEST_F(LauncherTest, WithoutDirectoryTheChildKeepsTheCallersOwn) {
    ScratchFolder folder("launch nodir");
    const std::string output = folder / "seen.txt";
    for (const char* directory : {"", static_cast<const char*>(nullptr)}) {
        DeleteFileA(output.c_str());
        LaunchRecord* record = LaunchProgram(TestProgramPath("write_args.exe").c_str(),
                                             ("\"" + output + "\"").c_str(), directory, LaunchOpen);
        ASSERT_NE(record, nullptr);
        ASSERT_TRUE(Ended(record));
        ReleaseLaunched(record);
        const std::vector<std::string> lines = Lines(ReadWholeFile(output));
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], CurrentDirectory());
    }
}

TEST_F(LauncherTest, ProgramThatEndsByItselfIsNotAliveAndCannotBeKilled) {
    LaunchRecord* record =
        LaunchProgram(TestProgramPath("exit_code.exe").c_str(), "7", "", LaunchOpen);
    ASSERT_NE(record, nullptr);
    const OwnedHandle process = OpenForExitCode(record);
    ASSERT_TRUE(process.valid());
    ASSERT_TRUE(Ended(record));
    EXPECT_EQ(IsProgramAlive(record), 0);
    // Whatever the platform answers, the exit code must stay the program's own.
    KillLaunched(record);
    EXPECT_EQ(ExitCodeOf(process), 7u);
    ReleaseLaunched(record);
}

TEST_F(LauncherTest, KilledProgramEndsWithExitCodeMinusOne) {
    LaunchRecord* record =
        LaunchProgram(TestProgramPath("sleep_forever.exe").c_str(), nullptr, nullptr, LaunchOpen);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(LiveLaunchRecords(), liveBefore_ + 1);
    const OwnedHandle process = OpenForExitCode(record);
    ASSERT_TRUE(process.valid());
    EXPECT_EQ(IsProgramAlive(record), 1);
    // A copy of the launch's handle is a second way to watch the same process.
    const OwnedHandle copy(DuplicateLaunchedProcess(record, SYNCHRONIZE));
    ASSERT_TRUE(copy.valid());
    EXPECT_EQ(WaitForSingleObject(copy.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_NE(KillLaunched(record), 0);
    ASSERT_TRUE(Ended(record));
    EXPECT_EQ(WaitForSingleObject(copy.get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(ExitCodeOf(process), 0xFFFFFFFFu);
    ReleaseLaunched(record);
}

// Makes documents ending in extension open with command for the duration of a
// test. Written through the merged classes root, which is the one the shell
// reads on every platform we run on.
class ShellAssociation {
  public:
    ShellAssociation(const char* extension, const std::string& command) : extension_(extension) {
        const std::string typeName = "BrenkTestDocument";
        SetValue(extension_.c_str(), typeName);
        SetValue((typeName + "\\shell\\open\\command").c_str(), command);
    }
    ~ShellAssociation() {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, extension_.c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "BrenkTestDocument");
    }
    ShellAssociation(const ShellAssociation&) = delete;
    ShellAssociation& operator=(const ShellAssociation&) = delete;

  private:
    static void SetValue(const char* key, const std::string& value) {
        HKEY opened = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &opened, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(opened);
    }
    std::string extension_;
};

// The shell opens what CreateProcess refuses, a document, with the program
// associated with it; it names no process identifier. Without a directory of
// its own the document's folder is the working directory.
TEST_F(LauncherTest, DocumentOpensThroughTheShellWithProcessIdMinusOne) {
    ScratchFolder folder("launch shell");
    const std::string output = folder / "opened with.txt";
    const ShellAssociation association(".brenkdoc", "\"" + TestProgramPath("write_args.exe") +
                                                        "\" \"" + output + "\" \"%1\"");
    const std::string document = folder / "notes.brenkdoc";
    ASSERT_TRUE(WriteWholeFile(document, "hello\r\n"));

    LaunchRecord* record = LaunchProgram(document.c_str(), "", "", LaunchOpen);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(ProcessIdOf(record), -1);
    // What the shell started is not the tool's to watch.
    EXPECT_EQ(DuplicateLaunchedProcess(record, SYNCHRONIZE), nullptr);
    EXPECT_TRUE(Ended(record));
    ReleaseLaunched(record);

    const std::vector<std::string> lines = Lines(ReadWholeFile(output));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], WithoutTrailingBackslash(folder.path()));
    EXPECT_EQ(lines[3], document);
}

// A program that needs elevation goes to the shell: the window watches it
// through the shell's handle, brenkrun's start hands the shell its arguments.
// Wine starts it without asking, so the test hands in the start's error.
TEST_F(LauncherTest, ProgramThatNeedsElevationIsStartedByTheShellAndWatched) {
    const std::string program = TestProgramPath("exit_code.exe");
    LaunchRecord* record = LaunchThroughShell(program.c_str(), "7", nullptr, ElevationRequiredError);
    ASSERT_NE(record, nullptr);
    const OwnedHandle process(DuplicateLaunchedProcess(record, 0));
    EXPECT_TRUE(Ended(record));
    EXPECT_EQ(ExitCodeOf(process), 7u);
    ReleaseLaunched(record);
    StartRequest request;
    request.Path = program.c_str();
    request.CommandLine = "\"" + program + "\"  9";
    StartedProcess started;
    StartElevated(request, started);
    EXPECT_EQ(WaitForSingleObject(started.Process.get(), 10000), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCodeOf(started.Process), 9u);
}

// A file neither started nor opened gives no record, and the shell must not
// hold the caller with a message about it.
TEST_F(LauncherTest, DocumentWithoutProgramGivesNoRecordAndNoMessage) {
    ScratchFolder folder("launch noassoc");
    const std::string document = folder / "notes.brenknothing";
    ASSERT_TRUE(WriteWholeFile(document, "hello\r\n"));
    EXPECT_EQ(LaunchProgram(document.c_str(), "", "", LaunchOpen), nullptr);
}

// The shell is asked for the file's default verb by the empty text.
TEST(ShellRequest, DefaultVerbIsTheEmptyText) {
    const SHELLEXECUTEINFOA request = ShellRequestFor("C:\\notes.txt", nullptr, nullptr);
    ASSERT_NE(request.lpVerb, nullptr);
    EXPECT_STREQ(request.lpVerb, "");
    EXPECT_STREQ(request.lpParameters, "");
}

TEST_F(LauncherTest, NothingToStartGivesNoRecord) {
    ScratchFolder folder("launch none");
    const std::string missing = folder / "missing.exe";
    EXPECT_EQ(LaunchProgram(missing.c_str(), "", "", LaunchOpen), nullptr);
    EXPECT_EQ(LaunchProgram("", "", "", LaunchOpen), nullptr);
    EXPECT_EQ(LaunchProgram(nullptr, nullptr, nullptr, LaunchOpen), nullptr);
    // Only the one flag word is understood.
    EXPECT_EQ(LaunchProgram(TestProgramPath("exit_code.exe").c_str(), "", "", 0), nullptr);
    // Record 0 names no program.
    EXPECT_EQ(IsProgramAlive(nullptr), 0);
    EXPECT_EQ(ProcessIdOf(nullptr), 0);
    EXPECT_EQ(KillLaunched(nullptr), 0);
    ReleaseLaunched(nullptr);
}

TEST_F(LauncherTest, RecordsAreCountedUntilReleasedInAnyOrder) {
    LaunchRecord* records[3] = {};
    for (LaunchRecord*& record : records) {
        record = LaunchProgram(TestProgramPath("sleep_forever.exe").c_str(), "", "", LaunchOpen);
        ASSERT_NE(record, nullptr);
    }
    EXPECT_EQ(LiveLaunchRecords(), liveBefore_ + 3);
    for (int index : {1, 0, 2}) {
        KillLaunched(records[index]);
        EXPECT_TRUE(Ended(records[index]));
        ReleaseLaunched(records[index]);
    }
}

constexpr DWORD WaitAccess = SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION;

ULONGLONG Began(HANDLE process) {
    FILETIME times[4] = {};
    GetProcessTimes(process, &times[0], &times[1], &times[2], &times[3]);
    return (static_cast<ULONGLONG>(times[0].dwHighDateTime) << 32) | times[0].dwLowDateTime;
}

// The grow_memory.exe processes that parent started: younger than it, since
// a number may have named an earlier parent.
std::vector<OwnedHandle> ChildrenOf(const OwnedHandle& parent) {
    std::vector<OwnedHandle> children;
    const OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID != GetProcessId(parent.get()) ||
            _stricmp(entry.szExeFile, "grow_memory.exe") != 0)
            continue;
        OwnedHandle child(OpenProcess(WaitAccess, FALSE, entry.th32ProcessID));
        if (child.valid() && Began(child.get()) >= Began(parent.get()))
            children.push_back(std::move(child));
    }
    return children;
}

// A tree in a job ends when its record goes, as when the tool itself is
// killed; a child that asks to leave the job still starts, outside it.
TEST_F(LauncherTest, TreeInAJobEndsWithItsRecordButAChildMayLeave) {
    for (const bool leave : {false, true}) {
        LaunchRecord* record = LaunchProgram(TestProgramPath("spawn_children.exe").c_str(),
                                             leave ? "2 0 -1 1" : "2 0", "",
                                             LaunchOpen | LaunchInJob);
        ASSERT_NE(record, nullptr);
        ASSERT_NE(JobOfLaunched(record), nullptr);
        const OwnedHandle parent(
            OpenProcess(WaitAccess, FALSE, static_cast<DWORD>(ProcessIdOf(record))));
        std::vector<OwnedHandle> children;
        EXPECT_TRUE(PollUntil([&] { return (children = ChildrenOf(parent)).size() == 2; }))
            << "leaving " << leave << ", the parent's exit code " << ExitCodeOf(parent);
        EXPECT_EQ(JobLiveProcesses(JobOfLaunched(record)), leave ? 1 : 3);
        ReleaseLaunched(record);
        EXPECT_EQ(WaitForSingleObject(parent.get(), 10000), WAIT_OBJECT_0);
        for (const OwnedHandle& child : children) {
            EXPECT_EQ(WaitForSingleObject(child.get(), leave ? 0 : 10000) == WAIT_OBJECT_0, !leave);
            TerminateProcess(child.get(), 1);
        }
    }
}

} // namespace
