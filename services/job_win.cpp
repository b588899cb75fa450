#include "services/job.h"

#include <windows.h>

#include "services/owned_handle.h"

int32_t JobLiveProcesses(void* job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                   sizeof accounting, nullptr))
        return -1;
    return static_cast<int32_t>(accounting.ActiveProcesses);
}

std::vector<uint32_t> JobProcessIds(void* job) {
    // Room for a tree of some size at first; a larger one asks again with
    // the number the job reported.
    DWORD room = 64;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<ULONG_PTR> block(2 + room);
        auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(block.data());
        list->NumberOfAssignedProcesses = room;
        const DWORD size = static_cast<DWORD>(block.size() * sizeof(ULONG_PTR));
        const BOOL asked =
            QueryInformationJobObject(job, JobObjectBasicProcessIdList, list, size, nullptr);
        if (asked && list->NumberOfProcessIdsInList >= list->NumberOfAssignedProcesses) {
            std::vector<uint32_t> ids;
            for (DWORD i = 0; i < list->NumberOfProcessIdsInList; ++i) {
                // As an lvalue, as the other lists of numbers are pushed:
                // a program holds one copy of the vector's growth.
                const auto id = static_cast<uint32_t>(list->ProcessIdList[i]);
                ids.push_back(id);
            }
            return ids;
        }
        if (!asked && GetLastError() != ERROR_MORE_DATA) break;
        room = list->NumberOfAssignedProcesses > room ? list->NumberOfAssignedProcesses + 16
                                                      : room * 2;
    }
    return {};
}

void* MakeTreeJob(void* process) {
    OwnedHandle job(CreateJobObjectA(nullptr, nullptr));
    if (!job.valid()) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    // A job without these limits still watches the tree.
    SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    if (!AssignProcessToJobObject(job.get(), process)) return nullptr;
    return job.release();
}

void* WatchJobNotices(void* job) {
    OwnedHandle port(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1));
    if (!port.valid()) return nullptr;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT association{job, port.get()};
    if (!SetInformationJobObject(job, JobObjectAssociateCompletionPortInformation, &association,
                                 sizeof association))
        return nullptr;
    return port.release();
}

JobNotice NextJobNotice(void* port, uint32_t waitMs) {
    DWORD message = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* detail = nullptr;
    if (!GetQueuedCompletionStatus(port, &message, &key, &detail, waitMs)) return {};
    // The process's number comes in the place of the overlapped structure.
    const auto pid = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(detail));
    switch (message) {
    case JOB_OBJECT_MSG_NEW_PROCESS:
        return {JobNoticeKind::Started, pid};
    case JOB_OBJECT_MSG_EXIT_PROCESS:
    case JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS:
        return {JobNoticeKind::Ended, pid};
    case JOB_OBJECT_MSG_ACTIVE_PROCESS_ZERO:
        return {JobNoticeKind::Empty, 0};
    default:
        return {JobNoticeKind::Other, 0};
    }
}
