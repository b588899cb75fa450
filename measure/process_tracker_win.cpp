#include "measure/process_tracker_win.h"

#include <algorithm>

#include "measure/job_members.h"
#include "services/job.h"
#include "services/launch.h"
#include "services/process_times_wine.h"

namespace {

// The parent's number, which only the native query tells.
uint32_t ParentPid(HANDLE process) {
    struct BasicInformation {
        LONG_PTR ExitStatus;
        void* Peb;
        ULONG_PTR Affinity;
        LONG_PTR Priority;
        ULONG_PTR Pid;
        ULONG_PTR ParentPid;
    };
    using QueryFunction = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<QueryFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    BasicInformation information{};
    if (!query || query(process, 0, &information, sizeof information, nullptr) != 0) return 0;
    return static_cast<uint32_t>(information.ParentPid);
}

// The file name of the process's image; empty when it cannot be read.
std::string ImageName(HANDLE process, bool* host) {
    char image[MAX_PATH * 4];
    DWORD length = sizeof image;
    if (!process || !QueryFullProcessImageNameA(process, 0, image, &length)) return {};
    const std::string_view path(image, length);
    *host = IsConsoleHost(path);
    const size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace

bool ReadTrackedFigures(TrackedProcess& process, MemoryInfoFunction memory, bool ended,
                        ProcessFigures& figures) {
    if (ended && RunningUnderWine()) return false;
    if (!process.Times) process.Times = std::make_unique<ProcessTimes>(process.Handle.get());
    if (!process.Io)
        process.Io =
            std::make_unique<ProcessIo>(process.Handle.get(), memory, process.Times->LinuxPid());
    figures.TimesRead = process.Times->Read(&figures.Times.Kernel, &figures.Times.User);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (memory && memory(process.Handle.get(), &counters, sizeof counters)) {
        figures.PeakWorkingSet = static_cast<int64_t>(counters.PeakWorkingSetSize);
        figures.PeakPrivate = static_cast<int64_t>(counters.PeakPagefileUsage);
    }
    figures.Io = process.Io->Read();
    return true;
}

ProcessTracker::ProcessTracker(HANDLE job, HANDLE notices, MemoryInfoFunction memory,
                               uint64_t startMs, FiguresReader reader)
    : ownPort_(notices ? nullptr : WatchJobNotices(job)), port_(notices ? notices : ownPort_.get()),
      memory_(memory), startMs_(startMs), reader_(reader) {
    // The processes already in the job before its notices were asked for.
    for (uint32_t pid : JobProcessIds(job))
        Start(pid);
}

ProcessTracker::~ProcessTracker() = default;

uint64_t ProcessTracker::Ms() const {
    const uint64_t now = GetTickCount64();
    return now > startMs_ ? now - startMs_ : 0;
}

bool ProcessTracker::Take(uint32_t waitMs) {
    if (!port_) return false;
    bool empty = false;
    for (JobNotice notice = NextJobNotice(port_, waitMs); notice.Kind != JobNoticeKind::None;
         notice = NextJobNotice(port_, 0)) {
        if (notice.Kind == JobNoticeKind::Started) Start(notice.Pid);
        if (notice.Kind == JobNoticeKind::Ended) End(notice.Pid);
        empty = empty || notice.Kind == JobNoticeKind::Empty;
    }
    return empty;
}

// A pass's listing taken before a process's end notice came still names it:
// while the notices come, one met ended has been listed by them already, and
// is not listed again as another.
void ProcessTracker::Meet(uint32_t pid) {
    Start(pid, Listening());
}

// A console host is followed too, though not listed, so that it is opened
// only once.
void ProcessTracker::Start(uint32_t pid, bool unlessEnded) {
    if (std::any_of(live_.begin(), live_.end(),
                    [pid](const TrackedProcess& process) { return process.Pid == pid; }))
        return;
    TrackedProcess process;
    process.Pid = pid;
    process.Handle = OpenForWatching(pid);
    if (unlessEnded && process.Handle.valid() &&
        WaitForSingleObject(process.Handle.get(), 0) == WAIT_OBJECT_0)
        return;
    bool host = false;
    const std::string name = ImageName(process.Handle.get(), &host);
    process.Named = !name.empty();
    process.Counted = !host;
    if (!host) list_.Started(pid, ParentPid(process.Handle.get()), name, Ms());
    live_.push_back(std::move(process));
}

// A console host found late leaves the list again: it counts for nothing.
bool ProcessTracker::Name(TrackedProcess& process) {
    if (process.Named) return true;
    bool host = false;
    const std::string name = ImageName(process.Handle.get(), &host);
    if (name.empty()) return false;
    process.Named = true;
    process.Counted = !host;
    if (host)
        list_.Forget(process.Pid);
    else
        list_.Named(process.Pid, name);
    return process.Counted;
}

void ProcessTracker::End(uint32_t pid) {
    const auto found =
        std::find_if(live_.begin(), live_.end(),
                     [pid](const TrackedProcess& process) { return process.Pid == pid; });
    if (found == live_.end()) return;
    if (found->Counted) {
        ProcessFigures figures;
        if (found->Handle.valid() && Name(*found) && reader_(*found, memory_, true, figures))
            list_.Update(pid, figures);
        DWORD code = 0;
        const bool known = found->Handle.valid() && GetExitCodeProcess(found->Handle.get(), &code);
        list_.Ended(pid, Ms(), known ? static_cast<int64_t>(code) : -1);
    }
    live_.erase(found);
}

void ProcessTracker::ReadLive() {
    for (TrackedProcess& process : live_) {
        ProcessFigures figures;
        if (process.Counted && process.Handle.valid() &&
            WaitForSingleObject(process.Handle.get(), 0) != WAIT_OBJECT_0 && Name(process) &&
            reader_(process, memory_, false, figures))
            list_.Update(process.Pid, figures);
    }
}

IoFigures ProcessTracker::IoTotal() const {
    IoFigures total;
    for (size_t i = 0; i < list_.Size(); ++i)
        AddIo(total, list_.At(i).Io);
    return total;
}

CpuTimes ProcessTracker::TimesTotal() const {
    CpuTimes total;
    for (size_t i = 0; i < list_.Size(); ++i) {
        const ProcessEntry entry = list_.At(i);
        total.Kernel += static_cast<uint64_t>(std::max<int64_t>(entry.Kernel100ns, 0));
        total.User += static_cast<uint64_t>(std::max<int64_t>(entry.User100ns, 0));
    }
    return total;
}
