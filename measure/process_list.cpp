#include "measure/process_list.h"

#include <algorithm>

namespace {

constexpr uint32_t Unknown32 = UINT32_MAX;

// A figure of 100 ns units kept in whole ms; a peak in KiB (memory comes in
// pages): 32 bits hold 49 days of processor time and 4 TiB.
uint32_t Narrow(int64_t value, int64_t unit) {
    if (value < 0) return Unknown32;
    return static_cast<uint32_t>(std::min<int64_t>(value / unit, Unknown32 - 1));
}

int64_t Widen(uint32_t value, int64_t unit) {
    return value == Unknown32 ? -1 : static_cast<int64_t>(value) * unit;
}

constexpr int64_t Ms100ns = 10'000;
constexpr int64_t KiB = 1024;

} // namespace


int64_t ProcessList::Find(uint32_t pid) const {
    for (uint32_t index : live_)
        if (rows_[index].Pid == pid) return index;
    return -1;
}

// A build runs the same few programs many times: each name is kept once.
uint32_t ProcessList::NameIndex(std::string_view name) {
    auto known = std::find(names_.begin(), names_.end(), name);
    if (known == names_.end()) known = names_.insert(names_.end(), std::string(name));
    return static_cast<uint32_t>(known - names_.begin());
}

void ProcessList::Started(uint32_t pid, uint32_t parentPid, std::string_view name, uint64_t ms) {
    if (Find(pid) >= 0) return;
    Row row;
    row.Name = NameIndex(name);
    row.Pid = pid;
    row.ParentPid = parentPid;
    row.StartMs = static_cast<uint32_t>(std::min<uint64_t>(ms, Unknown32 - 1));
    live_.push_back(static_cast<uint32_t>(rows_.size()));
    rows_.push_back(row);
}

void ProcessList::Named(uint32_t pid, std::string_view name) {
    const int64_t index = Find(pid);
    if (index >= 0) rows_[static_cast<size_t>(index)].Name = NameIndex(name);
}

void ProcessList::Update(uint32_t pid, const ProcessFigures& figures) {
    const int64_t index = Find(pid);
    if (index < 0) return;
    Row& row = rows_[static_cast<size_t>(index)];
    if (figures.TimesRead) {
        row.UserMs = Narrow(static_cast<int64_t>(figures.Times.User), Ms100ns);
        row.KernelMs = Narrow(static_cast<int64_t>(figures.Times.Kernel), Ms100ns);
    }
    // A peak read as 0 is no reading: a process that ran held memory.
    const auto peak = [](uint32_t& kept, int64_t read) {
        if (read > 0 && (kept == Unknown32 || Narrow(read, KiB) > kept)) kept = Narrow(read, KiB);
    };
    peak(row.PeakWorkingSetKiB, figures.PeakWorkingSet);
    peak(row.PeakPrivateKiB, figures.PeakPrivate);
    const IoFigures& io = figures.Io;
    const int64_t bytes[3] = {io.ReadBytes, io.WriteBytes, io.OtherBytes};
    const int64_t counts[4] = {io.ReadOperations, io.WriteOperations, io.OtherOperations,
                               io.PageFaults};
    for (int i = 0; i < 3; ++i)
        if (bytes[i] >= 0) row.Bytes[i] = static_cast<uint64_t>(bytes[i]);
    for (int i = 0; i < 4; ++i)
        if (counts[i] >= 0) row.Counts[i] = Narrow(counts[i], 1);
}

void ProcessList::Ended(uint32_t pid, uint64_t ms, int64_t exitCode) {
    const int64_t index = Find(pid);
    if (index < 0) return;
    Row& row = rows_[static_cast<size_t>(index)];
    row.EndMs = static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(ms, row.StartMs),
                                                         Unknown32 - 1));
    row.ExitKnown = exitCode >= 0;
    row.ExitCode = static_cast<uint32_t>(exitCode);
    std::erase(live_, static_cast<uint32_t>(index));
}

ProcessEntry ProcessList::At(size_t index) const {
    const Row& row = rows_[index];
    ProcessEntry entry;
    entry.Name = names_[row.Name];
    entry.Pid = row.Pid;
    entry.ParentPid = row.ParentPid;
    entry.StartMs = row.StartMs;
    entry.EndMs = Widen(row.EndMs, 1);
    entry.ExitCode = row.ExitKnown ? static_cast<int64_t>(row.ExitCode) : -1;
    entry.User100ns = Widen(row.UserMs, Ms100ns);
    entry.Kernel100ns = Widen(row.KernelMs, Ms100ns);
    entry.PeakWorkingSet = Widen(row.PeakWorkingSetKiB, KiB);
    entry.PeakPrivate = Widen(row.PeakPrivateKiB, KiB);
    const auto bytes = [](uint64_t value) {
        return value == UINT64_MAX ? int64_t{-1} : static_cast<int64_t>(value);
    };
    entry.Io = {bytes(row.Bytes[0]),        bytes(row.Bytes[1]),        bytes(row.Bytes[2]),
                Widen(row.Counts[0], 1), Widen(row.Counts[1], 1), Widen(row.Counts[2], 1),
                Widen(row.Counts[3], 1)};
    return entry;
}

size_t ProcessList::Bytes() const {
    size_t bytes = rows_.capacity() * sizeof(Row) + live_.capacity() * sizeof(uint32_t) +
                   names_.capacity() * sizeof(std::string);
    for (const std::string& name : names_)
        bytes += name.capacity();
    return bytes;
}

std::vector<size_t> LargestProcesses(const ProcessList& list, size_t limit) {
    std::vector<std::pair<int64_t, size_t>> peaks;
    peaks.reserve(list.Size());
    for (size_t i = 0; i < list.Size(); ++i)
        peaks.emplace_back(list.At(i).PeakWorkingSet, i);
    std::stable_sort(peaks.begin(), peaks.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    if (limit && peaks.size() > limit) peaks.resize(limit);
    std::vector<size_t> order;
    for (const auto& peak : peaks)
        order.push_back(peak.second);
    return order;
}
