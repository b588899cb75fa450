#include "measure/job_members.h"

#include <algorithm>

bool IsConsoleHost(std::string_view image) {
    constexpr std::string_view Host = "\\conhost.exe";
    if (image.size() < Host.size()) return false;
    image.remove_prefix(image.size() - Host.size());
    for (size_t i = 0; i < Host.size(); ++i)
        if ((image[i] >= 'A' && image[i] <= 'Z' ? image[i] + 32 : image[i]) != Host[i]) return false;
    return true;
}

bool JobMembers::Meet(uint32_t id, std::string_view image) {
    const bool host = IsConsoleHost(image);
    if (std::find(met_.begin(), met_.end(), id) == met_.end()) {
        met_.push_back(id);
        hosts_ += host ? 1 : 0;
    }
    return !host;
}

int64_t JobMembers::Processes(int64_t accounted) const {
    return std::max(accounted, static_cast<int64_t>(met_.size())) - hosts_;
}
