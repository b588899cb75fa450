// The system information line: processor clock from the registry, installed
// memory from the platform.
#include <windows.h>

#include "monitor/monitor_win.h"
#include "monitor/system_info.h"
#include "toolkit/controls.h"

namespace {

// Reads "~MHz" into the registry query record; false on any failure. A key
// that was opened is closed whatever happens after.
bool ReadProcessorClock(RegistryQuery& query) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, query.KeyPath.c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    query.Key = key;
    DWORD type = query.ValueType;
    DWORD size = query.ValueSize;
    DWORD value = 0;
    bool read = RegQueryValueExA(key, "~MHz", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                 &size) == ERROR_SUCCESS;
    // A value of another type is no clock: its bytes would show as a number.
    read = read && type == REG_DWORD && size == sizeof value;
    if (read) query.Value = value;
    const bool closed = RegCloseKey(key) == ERROR_SUCCESS;
    query.Key = nullptr;
    return read && closed;
}

uint64_t InstalledBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

} // namespace

void ShowSystemInfo() {
    if (!ReadProcessorClock(Monitor.Registry)) ReportError(ErrorRegistry);
    Monitor.Readings.CpuMHz = CeilingMHz(Monitor.Registry.Value);
    Monitor.Readings.RamMB = InstalledMB(InstalledBytes());
    Monitor.SystemInfoText = SystemInfoLine(Monitor);
    SetControlText(TextSystemInfo, Monitor.SystemInfoText.c_str());
}
