#include "services/process_times.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>

#include "services/owned_handle.h"

namespace {

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

// Wine answers GetProcessTimes on another process with the caller's own
// times, but its thread times are the target's: sum those of its live threads.
bool SumThreadTimes(uint32_t processId, uint64_t* kernel100ns, uint64_t* user100ns) {
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
        if (!thread.valid() || !GetThreadTimes(thread.get(), &created, &exited, &kernel, &user)) {
            continue;
        }
        *kernel100ns += Hundreds(kernel);
        *user100ns += Hundreds(user);
        any = true;
    }
    return any;
}

// The times of every thread of the processes, from one snapshot for all;
// false when no snapshot can be had.
bool ThreadTimesOf(const std::vector<uint32_t>& processIds,
                   std::vector<std::pair<uint32_t, uint64_t>>* times) {
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
        times->emplace_back(entry.th32ThreadID, Hundreds(kernel) + Hundreds(user));
    }
    return true;
}

} // namespace

bool QueryJobTimes(void* job, const std::vector<uint32_t>& processIds, TimeLedger& threads,
                   uint64_t* total100ns) {
    *total100ns = 0;
    // Wine's job accounting reads 0 however busy the job is.
    if (!RunningUnderWine()) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                       sizeof accounting, nullptr))
            return false;
        *total100ns = static_cast<uint64_t>(accounting.TotalKernelTime.QuadPart) +
                      static_cast<uint64_t>(accounting.TotalUserTime.QuadPart);
        return true;
    }
    std::vector<std::pair<uint32_t, uint64_t>> times;
    if (!ThreadTimesOf(processIds, &times)) return false;
    *total100ns = SettleLedger(threads, times);
    return true;
}

bool QueryProcessTimes(void* process, uint32_t processId, uint64_t* kernel100ns,
                       uint64_t* user100ns) {
    *kernel100ns = 0;
    *user100ns = 0;
    if (RunningUnderWine()) return SumThreadTimes(processId, kernel100ns, user100ns);
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
    *kernel100ns = Hundreds(kernel);
    *user100ns = Hundreds(user);
    return true;
}
