// sampling_bench <program.exe> [passes]: the cost of one sampling pass of the
// monitor against the bare platform queries that pass makes, on a live
// program it starts (and ends) itself. Prints medians in microseconds.
//
// The monitor's pass is the worker's work minus the hand-over of the text to
// the window: the process's times (ProcessTimes, made once as the worker
// does), the load, the working set, the extremes and the values text of the
// six readings. Beside it: the pair GetProcessTimes + GetProcessMemoryInfo
// (the platform's own process queries, which on Wine do not give another
// process's times), and the thread snapshot with one query per thread that
// an earlier pass made on Wine.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "monitor/language.h"
#include "monitor/readings.h"
#include "services/process_times.h"

namespace {

double NowMicroseconds() {
    static const double perSecond = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / perSecond;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Times the passes in turns, so that whatever else the machine does weighs
// on all of them alike.
std::vector<double> TimeInTurns(int passes, const std::vector<std::function<void()>>& kinds) {
    std::vector<std::vector<double>> times(kinds.size());
    for (int i = 0; i < passes; ++i) {
        for (size_t k = 0; k < kinds.size(); ++k) {
            const double begin = NowMicroseconds();
            kinds[k]();
            times[k].push_back(NowMicroseconds() - begin);
        }
    }
    std::vector<double> medians;
    for (auto& t : times)
        medians.push_back(Median(t));
    return medians;
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

uint64_t Hundreds(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The platform calls of one pass, without the monitor around them.
uint64_t BareTimes(HANDLE process, DWORD processId, bool wine) {
    FILETIME created, exited, kernel, user;
    if (!wine) {
        GetProcessTimes(process, &created, &exited, &kernel, &user);
        return Hundreds(kernel) + Hundreds(user);
    }
    uint64_t sum = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId) continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (thread && GetThreadTimes(thread, &created, &exited, &kernel, &user))
            sum += Hundreds(kernel) + Hundreds(user);
        if (thread) CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return sum;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: sampling_bench <program.exe> [passes]\n");
        return 2;
    }
    const int passes = argc > 2 ? std::atoi(argv[2]) : 500;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = std::string("\"") + argv[1] + "\"";
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        std::printf("cannot start %s\n", argv[1]);
        return 1;
    }
    CloseHandle(info.hThread);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE,
                                 info.dwProcessId);
    const bool wine = UnderWine();

    static MonitorState state;
    ApplySettings(state, English, 0);
    ComposeMonitorTexts(state);
    CpuSampler sampler;
    StartCpuBaseline(sampler, GetTickCount());
    const double openBegin = NowMicroseconds();
    ProcessTimes times(process);
    const double openUs = NowMicroseconds() - openBegin;
    std::atomic<int8_t> seeded{0};
    size_t textBytes = 0;

    auto monitorPass = [&] {
        uint64_t kernel = 0;
        uint64_t user = 0;
        const uint64_t used = times.Read(&kernel, &user) ? kernel + user : sampler.LastProcessTime;
        auto& row = state.Readings.Row;
        row[CpuCurrent] = SampleCpuLoad(sampler, used, GetTickCount(), row[CpuCurrent]);
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(process, &counters, sizeof counters))
            row[RamCurrent] = static_cast<int64_t>(counters.WorkingSetSize);
        UpdateExtremes(state.Readings, seeded);
        state.ValuesText = ValuesText(state.Readings, state.RowBreaks);
        textBytes = state.ValuesText.size();
    };
    volatile uint64_t sink = 0;
    auto barePass = [&] {
        sink = sink + BareTimes(process, info.dwProcessId, wine) + GetTickCount();
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(process, &counters, sizeof counters);
        sink = sink + counters.WorkingSetSize;
    };
    // For comparison: the process-wide query the platform offers, which the
    // monitor uses where it reports the target's own times.
    auto processTimesPass = [&] {
        sink = sink + BareTimes(process, info.dwProcessId, false) + GetTickCount();
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(process, &counters, sizeof counters);
        sink = sink + counters.WorkingSetSize;
    };
    auto formatting = [&] { state.ValuesText = ValuesText(state.Readings, state.RowBreaks); };
    // Where the Linux process cannot be told apart: the times from the
    // threads, kept open across readings.
    ProcessTimes threads(process, ProcessTimes::Prefer::Threads);
    auto threadsRead = [&] {
        uint64_t kernel = 0;
        uint64_t user = 0;
        threads.Read(&kernel, &user);
        sink = sink + kernel + user;
    };
    const std::vector<double> medians =
        TimeInTurns(passes, {monitorPass, barePass, processTimesPass, formatting, threadsRead});

    std::printf("sampling_pass_us %.2f\n", medians[0]);
    std::printf("thread_snapshot_queries_us %.2f\n", medians[1]);
    std::printf("process_times_query_us %.2f\n", medians[2]);
    std::printf("ratio %.2f\n", medians[0] / medians[2]);
    std::printf("formatting_us %.2f\n", medians[3]);
    std::printf("times_open_us %.0f\n", openUs);
    std::printf("threads_times_us %.2f\n", medians[4]);
    std::printf("passes %d, values text %zu bytes, times from %s\n", passes, textBytes,
                times.Source());

    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hProcess);
    CloseHandle(process);
    return 0;
}
