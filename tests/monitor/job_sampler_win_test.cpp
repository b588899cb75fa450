// The job sampler over a real tree under the platform: it takes in the
// processes as they start, and its pause lasts the interval however many of
// them end in it, unless the stop request or the job's end comes first.
#include "monitor/job_sampler_win.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "monitor/language.h"
#include "services/job.h"
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

TEST(JobSampler, TakesInTheTreeAndPausesForTheWholeInterval) {
    static MonitorState state;
    ApplySettings(state, English, 0);
    state.MemoryInfoFunction =
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("psapi.dll"), "GetProcessMemoryInfo"));
    LaunchRecord* tree = LaunchProgram(TestProgramPath("spawn_children.exe").c_str(), "2 16", "",
                                       LaunchOpen | LaunchInJob);
    ASSERT_NE(tree, nullptr);
    void* job = JobOfLaunched(tree);
    JobSampler sampler(job);
    const int64_t all = 48 << 20;
    EXPECT_TRUE(PollUntil([&] {
        sampler.Sample(state);
        return sampler.Members() == 3 && state.Readings.Row[RamCurrent] >= all;
    })) << sampler.Members()
        << " processes, " << state.Readings.Row[RamCurrent] << " bytes";
    EXPECT_GE(state.ObservedProgram.Record.Facts().PeakWorkingSet, all);

    OwnedHandle stop(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const auto pause = [&](int32_t interval, PauseEnd wanted, DWORD fromMs, DWORD toMs) {
        const ULONGLONG began = GetTickCount64();
        EXPECT_EQ(sampler.Pause(stop.get(), interval), wanted);
        const ULONGLONG took = GetTickCount64() - began;
        EXPECT_TRUE(took >= fromMs && took <= toMs) << took << " ms";
    };
    {
        const DWORD child = JobProcessIds(job).back();
        const Later end(200, [child] {
            OwnedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, child));
            TerminateProcess(process.get(), 1);
        });
        pause(1500, PauseEnd::Interval, 1450, 3000);
    }
    sampler.Sample(state);
    EXPECT_EQ(sampler.Members(), 2u);
    {
        const Later stopping(200, [&stop] { SetEvent(stop.get()); });
        pause(5000, PauseEnd::Stop, 150, 2500);
    }
    ResetEvent(stop.get());
    {
        const Later killing(200, [tree] { KillLaunched(tree); });
        pause(5000, PauseEnd::ProgramEnded, 150, 2500);
    }
    ReleaseLaunched(tree);
}

} // namespace
