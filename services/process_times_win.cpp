#include "services/process_times.h"

#include <windows.h>

#include "services/process_times_wine.h"

struct ProcessTimes::Reader {
    HANDLE process = nullptr;
    std::unique_ptr<WineProcessTimes> wine; // null where the system reads the times

    bool ReadProcess(CpuTimes& times) {
        FILETIME created, exited, kernel, user;
        if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
        times = {Hundreds(kernel), Hundreds(user)};
        return true;
    }
};

ProcessTimes::ProcessTimes(void* process, Prefer prefer) : reader_(std::make_unique<Reader>()) {
    reader_->process = process;
    if (RunningUnderWine() && process)
        reader_->wine = std::make_unique<WineProcessTimes>(process, prefer == Prefer::Threads);
}

ProcessTimes::~ProcessTimes() = default;

bool ProcessTimes::Read(uint64_t* kernel100ns, uint64_t* user100ns) {
    CpuTimes times;
    const bool read = reader_->wine ? reader_->wine->Read(times) : reader_->ReadProcess(times);
    *kernel100ns = read ? times.Kernel : 0;
    *user100ns = read ? times.User : 0;
    return read;
}

uint32_t ProcessTimes::LinuxPid() const {
    return reader_->wine ? reader_->wine->LinuxPid() : 0;
}

const char* ProcessTimes::Source() const {
    return reader_->wine ? reader_->wine->Source() : "process";
}
