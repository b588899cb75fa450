#include "monitor/system_info.h"

#include <cstdint>
#include <limits>

int32_t CeilingMHz(uint32_t registryMHz) {
    const float tens = RoundToWhole(static_cast<float>(registryMHz) / 10.0f, CeilingMode);
    // A float of up to 2^32 fits 64 bits; the clamp keeps an absurd registry
    // value from turning into a negative figure.
    const auto mhz = static_cast<int64_t>(tens * 10.0f);
    return mhz > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                     : static_cast<int32_t>(mhz);
}

int32_t InstalledMB(uint64_t totalBytes) {
    constexpr uint64_t Slack = 0xA0000; // 640 KB the platform keeps for itself
    constexpr uint64_t Megabyte = 0x100000;
    const uint64_t megabytes =
        totalBytes > UINT64_MAX - Slack ? UINT64_MAX / Megabyte : (totalBytes + Slack) / Megabyte;
    return megabytes > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())
               ? std::numeric_limits<int32_t>::max()
               : static_cast<int32_t>(megabytes);
}

Text SystemInfoLine(const MonitorState& state) {
    Text line = state.SystemInfoPieces[0];
    AppendText(line, IntegerToText(state.Readings.CpuMHz));
    AppendText(line, state.SystemInfoPieces[1]);
    AppendText(line, IntegerToText(state.Readings.RamMB));
    AppendText(line, state.SystemInfoPieces[2]);
    return line;
}
