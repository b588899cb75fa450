#include "services/process_times_wine.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "services/text.h"

namespace {

// Paths of Linux's /proc go through Wine's \\?\unix\ prefix, which always
// names Linux's root, whatever drive letters the Wine prefix maps.

// How far the Linux start may lie from the Windows creation time: Wine
// creates the process object just before it forks the Linux process.
constexpr int64_t StartToleranceTicks = 100;
// The short command name Linux keeps: at most 15 bytes of the file name.
constexpr size_t LinuxNameLength = 15;

// A file of /proc by its path there: name and tail ("uptime", or "<pid>"
// and "\\stat"). Put together by hand in a buffer of its own: the system's
// formatting function would cost a library that a console program does not
// load otherwise, and a path of this length needs no text of its own.
OwnedHandle OpenLinuxFile(std::string_view name, std::string_view tail = {}) {
    constexpr std::string_view Proc = "\\\\?\\unix\\proc\\";
    char path[64];
    if (Proc.size() + name.size() + tail.size() >= sizeof path) return {};
    char* end = std::copy(tail.begin(), tail.end(),
                          std::copy(name.begin(), name.end(),
                                    std::copy(Proc.begin(), Proc.end(), path)));
    *end = '\0';
    return OwnedHandle(CreateFileA(path, GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
}

// Reads from the start into buffer: a file of /proc is made afresh at each
// read from 0. Empty when it cannot be read.
std::string_view ReadFromStart(HANDLE file, char (&buffer)[1024]) {
    DWORD got = 0;
    OVERLAPPED start{};
    if (!ReadFile(file, buffer, sizeof buffer, &got, &start)) return {};
    return std::string_view(buffer, got);
}

std::string_view ReadLinuxFile(OwnedHandle opened, char (&buffer)[1024]) {
    return opened.valid() ? ReadFromStart(opened.get(), buffer) : std::string_view();
}

// The short name Linux keeps for the process: its file name, cut.
std::string_view LinuxName(HANDLE process, char (&path)[MAX_PATH]) {
    DWORD length = MAX_PATH;
    if (!QueryFullProcessImageNameA(process, 0, path, &length)) return {};
    std::string_view name(path, length);
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    return name.substr(0, LinuxNameLength);
}

NextThreadFunction NextThread() {
    return reinterpret_cast<NextThreadFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtGetNextThread")));
}

bool IsNumber(const char* text) {
    if (!*text) return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

// One look at every Linux process, kept: under Wine a look costs some 0.1 s
// (a file of /proc opened for each), and a tree whose processes are met
// together in one pass would take one look each. A process is found in a
// look that began after it started: Linux forks it just after the Windows
// creation, within ForkTicks. One not found there gets a look of its own.
constexpr int64_t ForkTicks = 50;
constexpr int64_t LookLifeTicks = 500;
struct SeenProcess {
    uint32_t pid;
    uint64_t start;
    char name[LinuxNameLength];
    uint8_t length;
};
struct Look {
    int64_t at = -1; // clock ticks after boot when it began
    std::vector<SeenProcess> seen;
};
SRWLOCK lookLock = SRWLOCK_INIT;
Look lastLook;

Look TakeLook(int64_t at) {
    Look look;
    look.at = at;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("\\\\?\\unix\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return look;
    char buffer[1024];
    do {
        if (!IsNumber(entry.cFileName)) continue;
        const LinuxProcessStat stat =
            ParseLinuxStat(ReadLinuxFile(OpenLinuxFile(entry.cFileName, "\\stat"), buffer));
        // An ended process of the same name, not yet reaped, is not it.
        if (!stat.Valid || stat.State == 'Z' || stat.State == 'X') continue;
        SeenProcess seen{static_cast<uint32_t>(std::strtoul(entry.cFileName, nullptr, 10)),
                         stat.StartTicks, {}, 0};
        seen.length = static_cast<uint8_t>(std::min(stat.Name.size(), LinuxNameLength));
        std::copy_n(stat.Name.data(), seen.length, seen.name);
        look.seen.push_back(seen);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return look;
}

LinuxProcessPick Pick(const Look& look, std::string_view name, int64_t expected) {
    LinuxProcessPick pick(expected, StartToleranceTicks);
    for (const SeenProcess& seen : look.seen)
        if (std::string_view(seen.name, seen.length) == name) pick.Consider(seen.pid, seen.start);
    return pick;
}

} // namespace

OwnedHandle OpenLinuxProcessFile(uint32_t pid, std::string_view file) {
    char tail[16] = "\\";
    if (file.size() + 2 > sizeof tail) return {};
    std::copy(file.begin(), file.end(), tail + 1);
    return OpenLinuxFile(IntegerToText(pid), std::string_view(tail, file.size() + 1));
}

// The Linux process behind a Wine process: the process of that name that
// started when the Windows process was created. Linux counts the times of
// every thread of a process, also of those that have ended.
uint32_t FindLinuxProcess(HANDLE process) {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    char path[MAX_PATH];
    const std::string_view name = LinuxName(process, path);
    GetSystemTimeAsFileTime(&now);
    char buffer[1024];
    const std::string_view uptime = ReadLinuxFile(OpenLinuxFile("uptime"), buffer);
    const int64_t expected = LinuxStartTicks(Hundreds(created), Hundreds(now), uptime);
    const int64_t nowTicks = LinuxStartTicks(Hundreds(now), Hundreds(now), uptime);
    if (name.empty() || expected < 0) return 0;

    AcquireSRWLockExclusive(&lookLock);
    const bool recent = nowTicks - lastLook.at < LookLifeTicks;
    LinuxProcessPick pick(expected, StartToleranceTicks);
    if (recent) pick = Pick(lastLook, name, expected);
    // Two of the name that close together stay two in a later look (a
    // build's compilers started at once are told apart by none): a look that
    // saw every start near this one, or one taken this moment, settles it.
    const bool unclear = pick.Unclear() && (lastLook.at >= expected + StartToleranceTicks ||
                                            nowTicks - lastLook.at <= 1);
    const bool settled = unclear || (pick.Picked() && lastLook.at >= expected + ForkTicks);
    if (!settled) {
        lastLook = TakeLook(nowTicks);
        pick = Pick(lastLook, name, expected);
    }
    ReleaseSRWLockExclusive(&lookLock);
    return pick.Picked();
}

std::string_view ReadLinuxText(HANDLE file, char (&buffer)[1024]) {
    return ReadFromStart(file, buffer);
}

bool RunningUnderWine() {
    static const bool underWine = [] {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version");
    }();
    return underWine;
}

WineProcessTimes::WineProcessTimes(HANDLE process, bool threadsOnly) : process_(process) {
    if (!threadsOnly) linuxPid_ = FindLinuxProcess(process);
    if (linuxPid_) linuxStat_ = OpenLinuxProcessFile(linuxPid_, "stat");
    else listing_.reset(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, GetProcessId(process)));
    nextThread_ = NextThread();
}

bool WineProcessTimes::Read(CpuTimes& times) {
    return linuxStat_.valid() ? ReadLinux(times) : ReadThreads(times);
}

const char* WineProcessTimes::Source() const {
    return linuxStat_.valid() ? "linux" : "threads";
}

bool WineProcessTimes::ReadLinux(CpuTimes& times) {
    char buffer[1024];
    const LinuxProcessStat stat = ParseLinuxStat(ReadFromStart(linuxStat_.get(), buffer));
    if (!stat.Valid) return false;
    times = {stat.SystemTicks * HundredsPerLinuxTick, stat.UserTicks * HundredsPerLinuxTick};
    return true;
}

void WineProcessTimes::KeepNewThreads() {
    constexpr ACCESS_MASK access = THREAD_QUERY_INFORMATION | SYNCHRONIZE;
    HANDLE cursor = nullptr;
    OwnedHandle known; // a thread kept already, open only as the cursor
    HANDLE next = nullptr;
    const HANDLE process = listing_.valid() ? listing_.get() : process_;
    while (nextThread_(process, cursor, access, 0, 0, &next) == 0) {
        known.reset();
        const DWORD id = GetThreadId(next);
        const bool seen = std::any_of(kept_.begin(), kept_.end(),
                                      [id](const NumberedHandle& thread) { return thread.id == id; });
        if (seen)
            known.reset(next);
        else
            kept_.push_back({static_cast<uint32_t>(id), OwnedHandle(next)});
        cursor = next;
    }
}

bool WineProcessTimes::ReadThreads(CpuTimes& times) {
    if (!nextThread_) return false;
    KeepNewThreads();
    if (kept_.empty()) return false; // no thread: the process has ended
    for (NumberedHandle& thread : kept_) {
        FILETIME created, exited, kernel, user;
        if (GetThreadTimes(thread.handle.get(), &created, &exited, &kernel, &user))
            threads_.Record(thread.id, {Hundreds(kernel), Hundreds(user)});
        // An ended thread's figures are final: counted now, then let go.
        if (WaitForSingleObject(thread.handle.get(), 0) == WAIT_OBJECT_0) thread.handle.reset();
    }
    std::erase_if(kept_, [](const NumberedHandle& thread) { return !thread.handle.valid(); });
    times = threads_.EndRound();
    return true;
}

bool ReadThreadTimes(const std::vector<NumberedHandle>& processes, AccumulatedTimes& threads,
                     CpuTimes* total) {
    const NextThreadFunction nextThread = NextThread();
    if (!nextThread) return false;
    for (const NumberedHandle& process : processes) {
        if (process.aside) continue;
        OwnedHandle thread; // the cursor of the listing
        HANDLE next = nullptr;
        while (nextThread(process.handle.get(), thread.get(), THREAD_QUERY_INFORMATION, 0, 0,
                          &next) == 0) {
            thread.reset(next);
            FILETIME created, exited, kernel, user;
            if (GetThreadTimes(next, &created, &exited, &kernel, &user))
                threads.Record(GetThreadId(next), {Hundreds(kernel), Hundreds(user)});
        }
    }
    *total = threads.EndRound();
    return true;
}
