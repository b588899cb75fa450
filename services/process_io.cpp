#include "services/process_io.h"

#include <charconv>

#include "services/process_times.h"

namespace {

// The number after "name: " on its own line of text; -1 when absent.
int64_t Field(std::string_view text, std::string_view name) {
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (line.size() <= name.size() + 1 || line.substr(0, name.size()) != name ||
            line[name.size()] != ':')
            continue;
        std::string_view value = line.substr(name.size() + 1);
        while (!value.empty() && value.front() == ' ')
            value.remove_prefix(1);
        int64_t number = -1;
        const auto [rest, error] =
            std::from_chars(value.data(), value.data() + value.size(), number);
        return error == std::errc() && rest == value.data() + value.size() && number >= 0 ? number
                                                                                          : -1;
    }
    return -1;
}

void Add(int64_t& total, int64_t part) {
    if (part < 0) return;
    total = total < 0 ? part : total + part;
}

} // namespace

IoFigures ParseLinuxIo(std::string_view io, std::string_view stat) {
    IoFigures figures;
    figures.ReadBytes = Field(io, "rchar");
    figures.WriteBytes = Field(io, "wchar");
    figures.ReadOperations = Field(io, "syscr");
    figures.WriteOperations = Field(io, "syscw");
    const LinuxProcessStat parsed = ParseLinuxStat(stat);
    if (parsed.Valid)
        figures.PageFaults = static_cast<int64_t>(parsed.MinorFaults + parsed.MajorFaults);
    return figures;
}

void AddIo(IoFigures& total, const IoFigures& part) {
    Add(total.ReadBytes, part.ReadBytes);
    Add(total.WriteBytes, part.WriteBytes);
    Add(total.OtherBytes, part.OtherBytes);
    Add(total.ReadOperations, part.ReadOperations);
    Add(total.WriteOperations, part.WriteOperations);
    Add(total.OtherOperations, part.OtherOperations);
    Add(total.PageFaults, part.PageFaults);
}
