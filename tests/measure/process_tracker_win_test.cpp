// Every process of a real tree listed from its start to its end, however
// short, and what a process read and wrote, under the platform.
#include "measure/watch_win.h"

#include <gtest/gtest.h>

#include "services/launcher.h"
#include "services/process_times_wine.h"
#include "tests/programs/test_programs.h"
#include "tests/services/service_test_support.h"

namespace {

MemoryInfoFunction Memory() {
    return reinterpret_cast<MemoryInfoFunction>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("psapi.dll"), "GetProcessMemoryInfo")));
}

// Until the job has held `children` processes besides the program and holds
// the program alone: each of them came and went.
void AwaitChildrenGone(HANDLE job, DWORD children) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION seen{};
    for (int i = 0; i < 1000 && QueryInformationJobObject(job, JobObjectBasicAccountingInformation,
                                                          &seen, sizeof seen, nullptr);
         ++i) {
        if (seen.TotalProcesses > children && seen.ActiveProcesses == 1) return;
        Sleep(10);
    }
    ADD_FAILURE() << "the children did not come and go";
}

// Watches the program (in a job with tree) to its end at intervalMs, its
// processes tracked only once lateChildren children came and went (0: from
// the start); the tracked list's copy, and the tree's last I/O.
struct Watched {
    ProcessList List;
    IoFigures Io;
    int32_t Pid = 0;
};
Watched WatchToEnd(const char* program, const std::string& arguments, bool tree, int32_t intervalMs,
                   FiguresReader reader = &ReadTrackedFigures, DWORD lateChildren = 0) {
    Watched watched;
    LaunchRecord* launched = LaunchProgram(TestProgramPath(program).c_str(), arguments.c_str(), "",
                                           LaunchOpen | (tree ? LaunchInJob : 0));
    if (!launched) return ADD_FAILURE() << program, watched;
    const uint64_t start = GetTickCount64();
    watched.Pid = ProcessIdOf(launched);
    const OwnedHandle process(static_cast<HANDLE>(DuplicateLaunchedProcess(launched, 0)));
    const auto job = static_cast<HANDLE>(JobOfLaunched(launched));
    Watch watch(process.get(), job, nullptr, Memory());
    if (lateChildren > 0) AwaitChildrenGone(job, lateChildren);
    watch.TrackProcesses(start, JobNoticesOfLaunched(launched), reader);
    RunRecord record;
    PassTally tally;
    record.Begin(start, 0, intervalMs);
    BeginTally(tally, start);
    struct {
        void Pass(const ShownPass&) {}
        void Ended() {}
    } show;
    RunPasses(record, tally, watch, show, PassPlan{intervalMs, 0, 1, start + FirstPassMs});
    FinishRun(record, tally, watch, process.get());
    if (watch.Tracked()) watched.List = *watch.Tracked();
    watched.Io = watch.Io();
    ReleaseLaunched(launched);
    return watched;
}

// 20 children of 100 ms, one after another, watched at 1000 ms: each one is
// listed with its parent and exit code, and a figure is either read or not
// measured, never a made-up 0.
TEST(ProcessTracker, EveryChildOfATreeHoweverShort) {
    const Watched watched = WatchToEnd("spawn_children.exe", "20 8 100", true, 1000);
    ASSERT_EQ(watched.List.Size(), 21u);
    const ProcessEntry parent = watched.List.At(0);
    EXPECT_EQ(parent.Name, "spawn_children.exe");
    EXPECT_EQ(static_cast<int32_t>(parent.Pid), watched.Pid);
    EXPECT_EQ(parent.ExitCode, 0);
    int64_t lastStart = -1;
    int32_t measured = 0;
    for (size_t i = 1; i < watched.List.Size(); ++i) {
        const ProcessEntry child = watched.List.At(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(child.Name, "grow_memory.exe");
        EXPECT_EQ(child.ParentPid, parent.Pid);
        EXPECT_EQ(child.ExitCode, 0);
        EXPECT_GE(child.EndMs - child.StartMs, 90);
        EXPECT_GE(child.StartMs, lastStart);
        lastStart = child.EndMs;
        // Under Wine the figures as last read alive, which may come before
        // the process took all its memory.
        EXPECT_NE(child.PeakWorkingSet, 0);
        EXPECT_NE(child.Io.PageFaults, 0) << "a process that touched 8 MB faulted its pages";
        measured += child.PeakWorkingSet >= 8 << 20 && child.Io.PageFaults >= 2048 &&
                    child.User100ns + child.Kernel100ns > 0;
    }
    EXPECT_GT(measured, 0) << "no child read alive";
}

// On Windows a handle kept open since the start reads an ended process's
// own figures; Wine cannot show it, so the seam hands in that answer. The
// tracking begins only after the children came and went at once, as a
// process of the program's first milliseconds may: the job's notices since
// its start still name each, opened through the handle its parent keeps.
TEST(ProcessTracker, AnEndedProcessReadThroughItsKeptHandle) {
    const FiguresReader windows = [](TrackedProcess& process, MemoryInfoFunction memory, bool ended,
                                     ProcessFigures& figures) {
        if (!ended) return ReadTrackedFigures(process, memory, ended, figures);
        figures.PeakWorkingSet = static_cast<int64_t>(process.Pid) << 20;
        figures.Io.WriteBytes = process.Pid;
        return true;
    };
    const Watched watched =
        WatchToEnd("spawn_children.exe", "3 4 0 0 1000", true, 5000, windows, 3);
    ASSERT_EQ(watched.List.Size(), 4u);
    int64_t written = 0;
    for (size_t i = 0; i < watched.List.Size(); ++i) {
        const ProcessEntry entry = watched.List.At(i);
        EXPECT_EQ(entry.Name, i == 0 ? "spawn_children.exe" : "grow_memory.exe");
        EXPECT_EQ(entry.ExitCode, 0) << entry.Name;
        EXPECT_EQ(entry.PeakWorkingSet, static_cast<int64_t>(entry.Pid) << 20) << entry.Name;
        EXPECT_EQ(entry.Io.WriteBytes, entry.Pid);
        written += entry.Io.WriteBytes;
    }
    // Where the job keeps no count, the tree's is what its processes did.
    EXPECT_TRUE(!RunningUnderWine() || watched.Io.WriteBytes == written) << watched.Io.WriteBytes;
}

// 64 MB written and read back: each counted whole, and not much more (a
// process loads its libraries and talks to the system, too).
TEST(ProcessIo, WrittenAndReadBytesOfAProgramAndOfATree) {
    ScratchFolder folder("io");
    // A short program, which may end before the first pass.
    const std::string arguments = "\"" + (folder / "data.bin") + "\" 64 100";
    constexpr int64_t Written = 64 << 20;
    for (const bool tree : {false, true}) {
        SCOPED_TRACE(tree ? "tree" : "alone");
        const IoFigures io = WatchToEnd("write_read_file.exe", arguments, tree, 200).Io;
        EXPECT_GE(io.WriteBytes, Written);
        EXPECT_LE(io.WriteBytes, Written + Written / 20);
        EXPECT_GE(io.ReadBytes, Written);
        EXPECT_LE(io.ReadBytes, Written + Written / 20);
        EXPECT_GE(io.WriteOperations, 64);
        EXPECT_GT(io.PageFaults, 0);
    }
}

} // namespace
