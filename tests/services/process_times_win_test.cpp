#include "services/process_times.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "services/launcher.h"
#include "services/owned_handle.h"
#include "tests/programs/test_programs.h"
#include "tests/services/service_test_support.h"

namespace {

constexpr uint64_t halfSecond = 5000000; // in 100 ns

struct Times {
    uint64_t kernel = 0;
    uint64_t user = 0;
};

// Starts a burner and reads its times until one of them has passed half a
// second; the burner is ended before returning.
Times BurnAndRead(const char* program, bool waitForKernel,
                  ProcessTimes::Prefer prefer = ProcessTimes::Prefer::Best) {
    Times times;
    LaunchRecord* record =
        LaunchProgram(TestProgramPath(program).c_str(), "60000 times-test-token", "", LaunchOpen);
    EXPECT_NE(record, nullptr);
    if (!record) return times;
    const auto id = static_cast<DWORD>(ProcessIdOf(record));
    OwnedHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, id));
    EXPECT_TRUE(process.valid());
    // One reader for the whole run, as the sampling worker keeps one.
    ProcessTimes reader(process.get(), prefer);
    Times earlier;
    const bool reached = PollUntil(
        [&] {
            earlier = times;
            EXPECT_TRUE(reader.Read(&times.kernel, &times.user));
            EXPECT_GE(times.kernel + times.user, earlier.kernel + earlier.user)
                << "times went back";
            return (waitForKernel ? times.kernel : times.user) >= halfSecond;
        },
        30000);
    EXPECT_TRUE(reached) << program << " kernel " << times.kernel << " user " << times.user;
    KillLaunched(record);
    PollUntil([record] { return IsProgramAlive(record) == 0; });
    ReleaseLaunched(record);
    return times;
}

// The figures are the child's own, not this idle test's: each burner's
// kind of time outweighs the other kind.
TEST(ProcessTimes, UserAndKernelTimesOfAnotherProcess) {
    const Times user = BurnAndRead("burn_user.exe", false);
    EXPECT_GT(user.user, 2 * user.kernel) << "kernel " << user.kernel << " user " << user.user;
    const Times kernel = BurnAndRead("burn_kernel.exe", true);
    EXPECT_GT(kernel.kernel, kernel.user) << "kernel " << kernel.kernel << " user " << kernel.user;
}

// Every thread of the churner lives 40 ms, so a sum over the live threads
// never comes near half a second: only counting the threads that have ended
// gets there (from the threads too, as the test reads far more often than
// a thread lives).
TEST(ProcessTimes, CountsThreadsThatHaveEnded) {
    EXPECT_GE(BurnAndRead("churn_threads.exe", false).user, halfSecond);
    EXPECT_GE(BurnAndRead("churn_threads.exe", false, ProcessTimes::Prefer::Threads).user,
              halfSecond);
}

TEST(ProcessTimes, OwnProcessAndFailures) {
    uint64_t kernel = 1, user = 1;
    EXPECT_TRUE(ProcessTimes(GetCurrentProcess()).Read(&kernel, &user));
    kernel = user = 1;
    EXPECT_FALSE(ProcessTimes(nullptr).Read(&kernel, &user));
    EXPECT_EQ(kernel, 0u);
    EXPECT_EQ(user, 0u);
}

} // namespace
