// A stand-in placed beside a test program under the name of a system library:
// the library slots must never load it for the bare name.
#include <windows.h>

extern "C" {

// Lets a test tell this file from the real library.
__declspec(dllexport) int PlantedMarker() {
    return 1;
}

__declspec(dllexport) BOOL WINAPI GetProcessMemoryInfo(HANDLE, void*, DWORD) {
    return FALSE;
}
}
