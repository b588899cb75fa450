// job_bench <folder of the test programs> [passes]: the cost of one pass over
// a job of ten processes (spawn_children.exe with nine children, started in a
// job as Children=1 does) and over a tree of 100 live processes with each
// process tracked (spawn_children.exe with 99 children: the job's notices and
// every process's own figures, as the list of processes needs), beside the
// pass over one process (sleep_forever.exe), taken in turns. Prints medians
// in microseconds, and the first pass over each job, which opens the
// processes and finds their figures.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "measure/watch_win.h"
#include "services/launch.h"
#include "services/job.h"
#include "services/launcher.h"

namespace {

double NowMicroseconds() {
    LARGE_INTEGER f;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A tree of spawn_children.exe with children - 1 children, once all of it
// runs; null when it does not start.
LaunchRecord* StartTree(const std::string& folder, int children, int64_t megabytes) {
    const std::string arguments = std::to_string(children - 1) + " " + std::to_string(megabytes);
    const std::string program = folder + "\\spawn_children.exe";
    LaunchRecord* tree =
        LaunchProgram(program.c_str(), arguments.c_str(), folder.c_str(), LaunchOpen | LaunchInJob);
    if (tree && !JobOfLaunched(tree)) {
        KillLaunched(tree);
        ReleaseLaunched(tree);
        return nullptr;
    }
    // A hundred starts under Wine take a while.
    const auto wanted = static_cast<size_t>(children);
    for (int wait = 0; tree && wait < 12000 && JobProcessIds(JobOfLaunched(tree)).size() < wanted;
         ++wait)
        Sleep(10);
    return tree;
}

double TimedPass(Watch& watch) {
    const double begin = NowMicroseconds();
    watch.Read();
    return NowMicroseconds() - begin;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: job_bench <folder> [passes]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int passes = argc > 2 ? std::atoi(argv[2]) : 200;
    HMODULE psapi = LoadLibraryA("Psapi.dll");
    const auto memory = reinterpret_cast<MemoryInfoFunction>(
        reinterpret_cast<void*>(GetProcAddress(psapi, "GetProcessMemoryInfo")));

    const uint64_t startMs = GetTickCount64();
    LaunchRecord* tree = StartTree(folder, 10, 0);
    LaunchRecord* large = StartTree(folder, 100, 1);
    LaunchRecord* single =
        LaunchProgram((folder + "\\sleep_forever.exe").c_str(), "", folder.c_str(), LaunchOpen);
    if (!tree || !large || !single) {
        std::printf("cannot start the programs\n");
        return 1;
    }
    void* job = JobOfLaunched(tree);
    void* largeJob = JobOfLaunched(large);
    const size_t processes = JobProcessIds(job).size();
    const size_t largeProcesses = JobProcessIds(largeJob).size();
    // As brenk.exe does before its first pass: under Wine the Linux process
    // behind a new one takes a moment to bear its name.
    Sleep(300);

    OwnedHandle process = OpenForWatching(static_cast<uint32_t>(ProcessIdOf(single)));
    OwnedHandle treeProcess = OpenForWatching(static_cast<uint32_t>(ProcessIdOf(tree)));
    Watch alone(process.get(), nullptr, nullptr, memory);
    Watch sampler(treeProcess.get(), job, nullptr, memory);
    const double firstUs = TimedPass(sampler);
    // The notices of all the tree's starts wait at the first pass, as they
    // do for a tree that starts many processes at once.
    OwnedHandle largeProcess = OpenForWatching(static_cast<uint32_t>(ProcessIdOf(large)));
    Watch tracked(largeProcess.get(), largeJob, nullptr, memory);
    const double trackBegin = NowMicroseconds();
    tracked.TrackProcesses(startMs, JobNoticesOfLaunched(large));
    const double firstTrackedUs = NowMicroseconds() - trackBegin + TimedPass(tracked);

    std::vector<double> jobTimes;
    std::vector<double> singleTimes;
    std::vector<double> trackedTimes;
    for (int i = 0; i < passes; ++i) {
        jobTimes.push_back(TimedPass(sampler));
        singleTimes.push_back(TimedPass(alone));
        trackedTimes.push_back(TimedPass(tracked));
    }
    std::printf("job_processes %zu\n", processes);
    std::printf("job_pass_us %.2f\n", Median(jobTimes));
    std::printf("single_pass_us %.2f\n", Median(singleTimes));
    std::printf("ratio %.2f\n", Median(jobTimes) / Median(singleTimes));
    std::printf("first_job_pass_us %.0f\n", firstUs);
    std::printf("job_members_read %zu\n", sampler.Members());
    std::printf("tracked_processes %zu\n", largeProcesses);
    std::printf("tracked_pass_us %.2f\n", Median(trackedTimes));
    std::printf("tracked_ratio %.2f\n", Median(trackedTimes) / Median(singleTimes));
    std::printf("first_tracked_pass_us %.0f\n", firstTrackedUs);
    std::printf("tracked_listed %zu\n", tracked.Tracked() ? tracked.Tracked()->Size() : 0);

    for (LaunchRecord* record : {tree, large, single}) {
        KillLaunched(record);
        ReleaseLaunched(record);
    }
    return 0;
}
