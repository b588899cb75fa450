#include "services/threads.h"

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <string>

#include "services/settings.h"
#include "services/text.h"
#include "services/thread_state.h"
#include "tests/services/service_test_support.h"

namespace {

// Threads of these tests wait until their gate, named by the parameter, is
// opened. Gates are never reused or closed, so a thread that reaches its wait
// only after its test ended still finds its own gate open.
constexpr int32_t gateRoom = 64;
HANDLE gates[gateRoom];
int32_t gatesMade = 0;

int32_t NewGate() {
    if (gatesMade == gateRoom) std::abort();
    gates[gatesMade] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return gatesMade++;
}

uint32_t WaitForGate(int32_t gate) {
    WaitForSingleObject(gates[gate], INFINITE);
    return 0;
}

// Held shut until a test has taken the thread's handle, so the thread is
// still registered when it is looked at.
HANDLE parameterGate = CreateEventA(nullptr, TRUE, FALSE, nullptr);

uint32_t ReturnParameterWhenLetGo(int32_t parameter) {
    WaitForSingleObject(parameterGate, INFINITE);
    return static_cast<uint32_t>(parameter);
}

// The number the first spawn of this program got, taken before any test
// runs, so that the check does not depend on which tests run or in what order.
int32_t firstNumber = 0;

struct FirstSpawn : testing::Environment {
    void SetUp() override {
        InitThreadTable();
        const int32_t gate = NewGate();
        firstNumber = SpawnThread(WaitForGate, gate);
        SetEvent(gates[gate]);
    }
};
const testing::Environment* const firstSpawn = testing::AddGlobalTestEnvironment(new FirstSpawn);

class ThreadsTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { InitThreadTable(); }
    void TearDown() override {
        for (int32_t gate = 0; gate < gatesMade; ++gate)
            SetEvent(gates[gate]);
    }
    static bool Ends(int32_t number) {
        return PollUntil([number] { return ThreadAlive(number) == 0; });
    }
};

TEST_F(ThreadsTest, NumbersCountFromOneAndAreNeverReused) {
    EXPECT_EQ(firstNumber, 1);
    const int32_t gate = NewGate();
    const int32_t first = SpawnThread(WaitForGate, gate);
    ASSERT_NE(first, 0);
    EXPECT_EQ(SpawnThread(WaitForGate, gate), first + 1);
    SetEvent(gates[gate]);
    ASSERT_TRUE(Ends(first));
    ASSERT_TRUE(Ends(first + 1));
    // The next spawn purges both; their numbers stay used up.
    EXPECT_EQ(SpawnThread(WaitForGate, NewGate()), first + 2);
    EXPECT_EQ(ThreadAlive(first), 0);
    EXPECT_EQ(ThreadAlive(0), 0);
    EXPECT_EQ(LiveThreadHandle(0), nullptr);
    EXPECT_EQ(ThreadAlive(1000000), 0);
    // No procedure, no thread and no number.
    EXPECT_EQ(SpawnThread(nullptr, 0), 0);
    EXPECT_EQ(SpawnThread(WaitForGate, NewGate()), first + 3);
}

// The handle a running thread had is closed by the first spawn after its end,
// not before.
TEST_F(ThreadsTest, EndedThreadsHandleIsClosedByTheNextSpawn) {
    const int32_t gate = NewGate();
    const int32_t first = SpawnThread(WaitForGate, gate);
    ASSERT_NE(first, 0);
    EXPECT_EQ(ThreadAlive(first), 1);
    HANDLE handle = LiveThreadHandle(first);
    ASSERT_NE(handle, nullptr);

    SetEvent(gates[gate]);
    ASSERT_TRUE(Ends(first));
    EXPECT_EQ(LiveThreadHandle(first), nullptr);
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(handle, &flags)) << "closed before the next spawn";

    const int32_t second = SpawnThread(WaitForGate, NewGate());
    EXPECT_EQ(second, first + 1);
    EXPECT_FALSE(GetHandleInformation(handle, &flags)) << "still open after the next spawn";
    EXPECT_EQ(ThreadAlive(second), 1) << "a running thread is not purged";
}

TEST_F(ThreadsTest, ParameterReachesTheProcedureUnchanged) {
    for (const int32_t parameter : {-7, 0, INT32_MAX, INT32_MIN}) {
        ResetEvent(parameterGate);
        const int32_t number = SpawnThread(ReturnParameterWhenLetGo, parameter);
        ASSERT_NE(number, 0);
        HANDLE handle = LiveThreadHandle(number);
        ASSERT_NE(handle, nullptr);
        SetEvent(parameterGate);
        ASSERT_EQ(WaitForSingleObject(handle, 20000), WAIT_OBJECT_0);
        DWORD exitCode = 0;
        EXPECT_TRUE(GetExitCodeThread(handle, &exitCode));
        EXPECT_EQ(exitCode, static_cast<uint32_t>(parameter));
    }
}

TEST_F(ThreadsTest, ReleaseAllThreadsClosesEveryHandleAndNumbersGoOn) {
    const int32_t gate = NewGate();
    const int32_t first = SpawnThread(WaitForGate, gate);
    ASSERT_NE(first, 0);
    for (int32_t i = 1; i < 3; ++i)
        EXPECT_EQ(SpawnThread(WaitForGate, gate), first + i);
    EXPECT_GE(LiveThreadHandles(), 3);
    SetEvent(gates[gate]);
    for (int32_t i = 0; i < 3; ++i)
        ASSERT_TRUE(Ends(first + i));
    ReleaseAllThreads();
    EXPECT_EQ(LiveThreadHandles(), 0);
    EXPECT_EQ(ThreadAlive(first), 0);
    EXPECT_EQ(SpawnThread(WaitForGate, NewGate()), first + 3);
}

// Per-thread state of the services must go when its thread ends. Each worker
// builds texts and opens a settings file that it never closes itself.
Text settingsFile;

std::atomic<int32_t> workerFailures{0};

uint32_t UseServicesAndEnd(int32_t parameter) {
    Text built = IntegerToText(parameter);
    for (int i = 0; i < 50; ++i)
        AppendText(built, IntegerToText(i * parameter));
    const bool read = OpenSettingsFile(settingsFile) && SelectSettingsGroup("Global") &&
                      ReadSettingsNumber("Language", -1) == 1;
    if (!read || built.empty()) ++workerFailures;
    return 0;
}

DWORD HandleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return counters.PrivateUsage;
}

// Runs count workers, a few at a time, and waits for all of them to end.
void RunWorkers(int32_t count) {
    constexpr int32_t batch = 8;
    for (int32_t started = 0; started < count; started += batch) {
        int32_t numbers[batch] = {};
        for (int32_t& number : numbers) {
            number = SpawnThread(UseServicesAndEnd, started);
            ASSERT_NE(number, 0);
        }
        for (int32_t number : numbers) {
            HANDLE handle = LiveThreadHandle(number);
            if (handle) WaitForSingleObject(handle, 20000);
            ASSERT_EQ(ThreadAlive(number), 0);
        }
    }
}

TEST_F(ThreadsTest, EndedThreadsLeaveNoStateBehind) {
    ScratchFolder folder("thread state");
    // A file of some size, so that a state left behind by each thread would
    // show plainly in the private bytes.
    std::string content = "[Global]\r\nLanguage=1\r\n";
    while (content.size() < 64 * 1024)
        content += "; padding line of the settings file\r\n";
    settingsFile = folder / "state.ini";
    ASSERT_TRUE(WriteWholeFile(settingsFile, content));

    const int32_t statesBefore = LivePerThreadStates();
    RunWorkers(16); // the heap settles on its working size
    EXPECT_EQ(LivePerThreadStates(), statesBefore);
    const SIZE_T bytesBefore = PrivateBytes();
    const DWORD handlesBefore = HandleCount();
    RunWorkers(400);
    const SIZE_T bytesAfter = PrivateBytes();
    const DWORD handlesAfter = HandleCount();

    EXPECT_EQ(workerFailures.load(), 0) << "workers that could not read the file";
    // Wine reports no handle count (always 0); where there is one, ended
    // threads must not have added to it beyond the table's few.
    if (handlesBefore > 0) {
        EXPECT_LE(handlesAfter, handlesBefore + 8);
    }
    EXPECT_EQ(LivePerThreadStates(), statesBefore);
    // 400 kept states would hold over 25 MB; allow the heap some slack.
    EXPECT_LT(bytesAfter, bytesBefore + 4 * 1024 * 1024)
        << "private bytes grew from " << bytesBefore << " to " << bytesAfter;
    // One spawn purges every ended worker.
    SpawnThread(WaitForGate, NewGate());
    EXPECT_EQ(LiveThreadHandles(), 1);
}

} // namespace
