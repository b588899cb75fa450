// The test programs do what other tests rely on.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <string>

#include "services/owned_handle.h"
#include "tests/programs/test_programs.h"

namespace {

struct Started {
    OwnedHandle process;
    DWORD id = 0;
};

Started Start(const char* program, const std::string& arguments) {
    std::string commandLine = "\"";
    commandLine += TestProgramPath(program);
    commandLine += "\" ";
    commandLine += arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Started started;
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        started.process.reset(info.hProcess);
        started.id = info.dwProcessId;
    }
    return started;
}

DWORD ExitCodeAfterEnd(const Started& started) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(started.process.get(), 20000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(started.process.get(), &code);
    }
    return code;
}

TEST(TestPrograms, ExitCodeExitsWithTheGivenCodeAndIgnoresExtras) {
    const std::pair<const char*, DWORD> cases[] = {
        {"7 unique-token", 7}, {"-1", 0xFFFFFFFF}, {"", 0}};
    for (const auto& [arguments, expected] : cases) {
        const Started started = Start("exit_code.exe", arguments);
        ASSERT_TRUE(started.process.valid());
        EXPECT_EQ(ExitCodeAfterEnd(started), expected) << arguments;
    }
}

TEST(TestPrograms, BurnerEndsAfterItsTime) {
    const Started started = Start("burn_user.exe", "100 unique-token");
    ASSERT_TRUE(started.process.valid());
    EXPECT_EQ(ExitCodeAfterEnd(started), 0u);
}

// The memory grower's working set reaches its size and stays while it holds.
TEST(TestPrograms, GrowMemoryHoldsItsMegabytes) {
    const Started started = Start("grow_memory.exe", "48 unique-token");
    ASSERT_TRUE(started.process.valid());
    OwnedHandle query(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, started.id));
    ASSERT_TRUE(query.valid());
    PROCESS_MEMORY_COUNTERS counters{};
    const ULONGLONG end = GetTickCount64() + 20000;
    do {
        counters.cb = sizeof counters;
        ASSERT_TRUE(GetProcessMemoryInfo(query.get(), &counters, sizeof counters));
        if (counters.WorkingSetSize >= SIZE_T{48} << 20) break;
        Sleep(10);
    } while (GetTickCount64() < end);
    EXPECT_GE(counters.WorkingSetSize, SIZE_T{48} << 20);
    EXPECT_EQ(WaitForSingleObject(started.process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "holds until killed";
    TerminateProcess(started.process.get(), 1);
    WaitForSingleObject(started.process.get(), 20000);
}

} // namespace
