// The watch of a job over a real tree under the platform: it takes in the
// processes as they start, and its pause lasts the interval however many of
// them end in it, unless the stop request or the job's end comes first.
#include "measure/watch_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

#include "services/job.h"
#include "services/launch.h"
#include "services/launcher.h"
#include "tests/programs/test_programs.h"
#include "tests/services/service_test_support.h"

namespace {

// Runs action afterMs into the step the test takes meanwhile.
class Later {
  public:
    Later(DWORD afterMs, std::function<void()> action)
        : thread_([afterMs, action] {
              Sleep(afterMs);
              action();
          }) {}
    ~Later() { thread_.join(); }

  private:
    std::thread thread_;
};

TEST(Watch, TakesInTheTreeAndPausesForTheWholeInterval) {
    const auto memory = reinterpret_cast<MemoryInfoFunction>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("psapi.dll"), "GetProcessMemoryInfo")));
    LaunchRecord* tree = LaunchProgram(TestProgramPath("spawn_children.exe").c_str(), "2 16", "",
                                       LaunchOpen | LaunchInJob);
    ASSERT_NE(tree, nullptr);
    void* job = JobOfLaunched(tree);
    OwnedHandle stop(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const OwnedHandle process(static_cast<HANDLE>(DuplicateLaunchedProcess(tree, WatchAccess)));
    Watch sampler(process.get(), job, stop.get(), memory);
    // Under Wine a process's working set counts the libraries it maps (some 6 MB)
    // and its private bytes only the pages it has written, so the job's working
    // set reaching 48 MB may leave a child with its block half written: each
    // process is asked for its 16 MB, and the watch read after.
    const auto holds = [&](uint32_t id) {
        const OwnedHandle member(
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        return member.valid() && memory(member.get(), &counters, sizeof counters) &&
               counters.PagefileUsage >= (16 << 20) && counters.WorkingSetSize >= (16 << 20);
    };
    const int64_t all = 48 << 20;
    WatchReading reading;
    EXPECT_TRUE(PollUntil([&] {
        const std::vector<uint32_t> ids = JobProcessIds(job);
        const bool held = ids.size() == 3 && std::all_of(ids.begin(), ids.end(), holds);
        reading = sampler.Read();
        return held && sampler.Members() == 3;
    })) << sampler.Members()
        << " processes, " << reading.WorkingSet << " bytes";
    EXPECT_GE(reading.WorkingSet, all);
    EXPECT_GE(reading.PeakWorkingSet, all);
    EXPECT_GE(reading.PeakPrivate, all) << "the commit of all three processes";
    EXPECT_EQ(sampler.Processes(), 3);

    const auto pause = [&](int32_t interval, WatchWait wanted, DWORD fromMs, DWORD toMs) {
        const ULONGLONG began = GetTickCount64();
        EXPECT_EQ(sampler.Pause(began + static_cast<ULONGLONG>(interval)), wanted);
        const ULONGLONG took = GetTickCount64() - began;
        EXPECT_TRUE(took >= fromMs && took <= toMs) << took << " ms";
    };
    {
        const DWORD child = JobProcessIds(job).back();
        const Later end(200, [child] {
            OwnedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, child));
            TerminateProcess(process.get(), 1);
        });
        pause(1500, WatchWait::Interval, 1450, 3000);
    }
    sampler.Read();
    EXPECT_EQ(sampler.Members(), 2u);
    {
        const Later stopping(200, [&stop] { SetEvent(stop.get()); });
        pause(5000, WatchWait::Stop, 150, 2500);
    }
    ResetEvent(stop.get());
    {
        const Later killing(200, [tree] { KillLaunched(tree); });
        pause(5000, WatchWait::Ended, 150, 2500);
    }
    ReleaseLaunched(tree);
}

// A handle of the least access, as of a program started elevated: times and
// the end, no memory figure (Windows refuses it; Wine does not, so the query
// here refuses). After the end Windows still gives the peak: the whole run's.
// A twin started with it leaves Wine's Linux process untold, so the times
// come from the threads, which the least access alone cannot list.
TEST(Watch, TheLeastAccessGivesTimesAndTheEndAndThePeakAfterIt) {
    LaunchRecord* burner =
        LaunchProgram(TestProgramPath("burn_user.exe").c_str(), "600", "", LaunchOpen);
    LaunchRecord* twin =
        LaunchProgram(TestProgramPath("burn_user.exe").c_str(), "600", "", LaunchOpen);
    ASSERT_NE(burner, nullptr);
    ASSERT_NE(twin, nullptr);
    const OwnedHandle process(static_cast<HANDLE>(
        DuplicateLaunchedProcess(burner, PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE)));
    const uint64_t start = GetTickCount64();
    RunRecord record;
    record.Begin(start, 0, 100);
    PassTally tally;
    BeginTally(tally, start);
    Watch watch(process.get(), nullptr, nullptr, [](auto...) { return FALSE; });
    struct { void Pass(const ShownPass&) {} void Ended() {} } show;
    RunPasses(record, tally, watch, show, PassPlan{100, 0, 1, start + 100});
    EXPECT_TRUE(tally.Ended);
    EXPECT_GT(record.Facts().ProcessorTime, 0u);
    EXPECT_EQ(record.Facts().Extremes.WorkingSetMaximum, -1) << "not available, never 0";
    Watch ended(process.get(), nullptr, nullptr, [](HANDLE, PPROCESS_MEMORY_COUNTERS peak, DWORD) {
        peak->PeakWorkingSetSize = 300 << 20;
        return TRUE;
    });
    FinishRun(record, tally, ended, process.get());
    EXPECT_EQ(record.Facts().PeakWorkingSet, 300 << 20);
    EXPECT_TRUE(record.Facts().PeakWhole);
    ReleaseLaunched(burner);
    ReleaseLaunched(twin);
}

} // namespace
