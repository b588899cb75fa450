// What the system's errors of starting or opening a process mean, apart from
// the system, so that a test on any platform can hand them in.
#pragma once

#include <cstdint>

// The start's error for a program whose manifest asks for administrator
// rights (ERROR_ELEVATION_REQUIRED): only the shell can ask the user for them.
constexpr uint32_t ElevationRequiredError = 740;

// Whether a process that could not be opened for watching is there but may
// not be opened (a service, another account's), by the opening's error:
// ERROR_ACCESS_DENIED. Any other means there is no such process (Windows
// answers a number that no process has with ERROR_INVALID_PARAMETER).
constexpr bool RefusedAccess(uint32_t openError) {
    return openError == 5;
}
