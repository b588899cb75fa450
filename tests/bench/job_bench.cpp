// job_bench <folder of the test programs> [passes]: the cost of one pass over
// a job of ten processes (spawn_children.exe with nine children, started in a
// job as Children=1 does) beside the pass over one process
// (sleep_forever.exe), taken in turns. Prints medians in microseconds, and
// the first job pass, which opens the processes and finds their figures.
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

    LaunchRecord* tree = LaunchProgram((folder + "\\spawn_children.exe").c_str(), "9 0",
                                       folder.c_str(), LaunchOpen | LaunchInJob);
    LaunchRecord* single =
        LaunchProgram((folder + "\\sleep_forever.exe").c_str(), "", folder.c_str(), LaunchOpen);
    if (!tree || !single || !JobOfLaunched(tree)) {
        std::printf("cannot start the programs\n");
        return 1;
    }
    void* job = JobOfLaunched(tree);
    for (int wait = 0; wait < 500 && JobProcessIds(job).size() < 10; ++wait)
        Sleep(10);
    const size_t processes = JobProcessIds(job).size();
    // As brenk.exe does before its first pass: under Wine the Linux process
    // behind a new one takes a moment to bear its name.
    Sleep(300);

    OwnedHandle process = OpenForWatching(static_cast<uint32_t>(ProcessIdOf(single)));
    OwnedHandle treeProcess = OpenForWatching(static_cast<uint32_t>(ProcessIdOf(tree)));
    Watch alone(process.get(), nullptr, nullptr, memory);
    Watch sampler(treeProcess.get(), job, nullptr, memory);
    const double firstBegin = NowMicroseconds();
    sampler.Read();
    const double firstUs = NowMicroseconds() - firstBegin;

    std::vector<double> jobTimes;
    std::vector<double> singleTimes;
    for (int i = 0; i < passes; ++i) {
        double begin = NowMicroseconds();
        sampler.Read();
        jobTimes.push_back(NowMicroseconds() - begin);
        begin = NowMicroseconds();
        alone.Read();
        singleTimes.push_back(NowMicroseconds() - begin);
    }
    std::printf("job_processes %zu\n", processes);
    std::printf("job_pass_us %.2f\n", Median(jobTimes));
    std::printf("single_pass_us %.2f\n", Median(singleTimes));
    std::printf("ratio %.2f\n", Median(jobTimes) / Median(singleTimes));
    std::printf("first_job_pass_us %.0f\n", firstUs);
    std::printf("job_members_read %zu\n", sampler.Members());

    KillLaunched(tree);
    KillLaunched(single);
    ReleaseLaunched(tree);
    ReleaseLaunched(single);
    return 0;
}
