#include "services/process_times.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <string>

#include "services/owned_handle.h"

namespace {

// Under Wine drive letters are optional; this prefix always names Linux's root.
constexpr const char* LinuxProc = "\\\\?\\unix\\proc\\";
// How far the Linux start may lie from the Windows creation time: Wine
// creates the process object just before it forks the Linux process.
constexpr int64_t StartToleranceTicks = 100;
// The short command name Linux keeps: at most 15 bytes of the file name.
constexpr size_t LinuxNameLength = 15;

uint64_t Hundreds(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool RunningUnderWine() {
    static const bool underWine = [] {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version");
    }();
    return underWine;
}

OwnedHandle OpenForReading(const std::string& path) {
    return OwnedHandle(CreateFileA(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
}

// Reads from the start: a file of /proc is made afresh at each read from 0.
std::string ReadFromStart(HANDLE file) {
    char buffer[1024];
    DWORD got = 0;
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN) ||
        !ReadFile(file, buffer, sizeof buffer, &got, nullptr))
        return {};
    return std::string(buffer, got);
}

std::string ReadLinuxFile(const std::string& path) {
    OwnedHandle file = OpenForReading(path);
    return file.valid() ? ReadFromStart(file.get()) : std::string();
}

std::string LinuxName(HANDLE process) {
    char path[MAX_PATH];
    DWORD length = MAX_PATH;
    if (!QueryFullProcessImageNameA(process, 0, path, &length)) return {};
    std::string name(path, length);
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    return name.substr(0, LinuxNameLength);
}

// The stat file of the Linux process behind a Wine process: the process of
// that name that started when the Windows process was created. Linux counts
// the times of every thread of a process, also of those that have ended.
OwnedHandle FindLinuxStat(HANDLE process) {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return {};
    const std::string name = LinuxName(process);
    GetSystemTimeAsFileTime(&now);
    const int64_t expected = LinuxStartTicks(Hundreds(created), Hundreds(now),
                                             ReadLinuxFile(std::string(LinuxProc) + "uptime"));
    if (name.empty() || expected < 0) return {};

    std::vector<std::string> pids;
    std::vector<uint64_t> starts;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((std::string(LinuxProc) + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return {};
    do {
        const std::string pid = entry.cFileName;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string text = ReadLinuxFile(LinuxProc + pid + "\\stat");
        const LinuxProcessStat stat = ParseLinuxStat(text);
        if (!stat.Valid || stat.Name != name) continue;
        pids.push_back(pid);
        starts.push_back(stat.StartTicks);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    const int32_t found = PickLinuxProcess(starts, expected, StartToleranceTicks);
    if (found < 0) return {};
    return OpenForReading(LinuxProc + pids[static_cast<size_t>(found)] + "\\stat");
}

} // namespace

struct ProcessTimes::Reader {
    HANDLE process = nullptr;
    uint32_t processId = 0;
    bool wine = false;
    OwnedHandle linuxStat;
    AccumulatedTimes threads;

    bool ReadLinux(CpuTimes& times) {
        const LinuxProcessStat stat = ParseLinuxStat(ReadFromStart(linuxStat.get()));
        if (!stat.Valid) return false;
        times = {stat.SystemTicks * HundredsPerLinuxTick, stat.UserTicks * HundredsPerLinuxTick};
        return true;
    }

    // The threads the process has now, added to those that have ended.
    bool ReadThreads(CpuTimes& times) {
        OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        if (!snapshot.valid()) return false;
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        bool any = false;
        for (BOOL more = Thread32First(snapshot.get(), &entry); more;
             more = Thread32Next(snapshot.get(), &entry)) {
            if (entry.th32OwnerProcessID != processId) continue;
            OwnedHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
            FILETIME created, exited, kernel, user;
            if (!thread.valid() || !GetThreadTimes(thread.get(), &created, &exited, &kernel, &user))
                continue;
            threads.Record(entry.th32ThreadID, {Hundreds(kernel), Hundreds(user)});
            any = true;
        }
        // No live thread: the process has ended, and nothing new was read.
        if (!any) return false;
        times = threads.EndRound();
        return true;
    }

    bool ReadProcess(CpuTimes& times) {
        FILETIME created, exited, kernel, user;
        if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
        times = {Hundreds(kernel), Hundreds(user)};
        return true;
    }
};

ProcessTimes::ProcessTimes(void* process, uint32_t processId)
    : reader_(std::make_unique<Reader>()) {
    reader_->process = process;
    reader_->processId = processId;
    reader_->wine = RunningUnderWine();
    if (reader_->wine && process) reader_->linuxStat = FindLinuxStat(process);
}

ProcessTimes::~ProcessTimes() = default;

bool ProcessTimes::Read(uint64_t* kernel100ns, uint64_t* user100ns) {
    CpuTimes times;
    bool read = false;
    if (!reader_->wine)
        read = reader_->ReadProcess(times);
    else if (reader_->linuxStat.valid())
        read = reader_->ReadLinux(times);
    else
        read = reader_->ReadThreads(times);
    *kernel100ns = read ? times.Kernel : 0;
    *user100ns = read ? times.User : 0;
    return read;
}

const char* ProcessTimes::Source() const {
    if (!reader_->wine) return "process";
    return reader_->linuxStat.valid() ? "linux" : "threads";
}

bool JobAccountedTime(void* job, uint64_t* total100ns) {
    *total100ns = 0;
    if (RunningUnderWine()) return false;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                   sizeof accounting, nullptr))
        return false;
    *total100ns = static_cast<uint64_t>(accounting.TotalKernelTime.QuadPart) +
                  static_cast<uint64_t>(accounting.TotalUserTime.QuadPart);
    return true;
}

bool ReadThreadTimes(const std::vector<uint32_t>& processIds, AccumulatedTimes& threads,
                     CpuTimes* total) {
    OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.valid()) return false;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry)) {
        if (std::find(processIds.begin(), processIds.end(), entry.th32OwnerProcessID) ==
            processIds.end())
            continue;
        OwnedHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID));
        FILETIME created, exited, kernel, user;
        if (!thread.valid() || !GetThreadTimes(thread.get(), &created, &exited, &kernel, &user))
            continue;
        threads.Record(entry.th32ThreadID, {Hundreds(kernel), Hundreds(user)});
    }
    *total = threads.EndRound();
    return true;
}
