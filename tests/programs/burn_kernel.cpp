// burn_kernel <ms>: keeps one processor busy mostly in kernel mode for <ms>
// milliseconds of wall-clock time (default 1000), then exits with code 0.
#include <windows.h>

#include "program_args.h"

namespace {

constexpr DWORD blockSize = 4 << 20;

// Under Wine the host's zero device is reachable through drive Z:. Each large
// read is one system call whose time goes almost wholly to the kernel filling
// the buffer; the user-mode cost of entering it is small beside that.
bool BurnByReading(ULONGLONG end) {
    HANDLE zero = CreateFileA("Z:\\dev\\zero", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (zero == INVALID_HANDLE_VALUE) return false;
    void* buffer = VirtualAlloc(nullptr, blockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    DWORD got = 0;
    if (!buffer || !ReadFile(zero, buffer, blockSize, &got, nullptr) || got != blockSize) {
        CloseHandle(zero);
        return false;
    }
    while (GetTickCount64() < end)
        ReadFile(zero, buffer, blockSize, &got, nullptr);
    CloseHandle(zero);
    return true;
}

// Elsewhere, mapping, faulting in and unmapping fresh pages is kernel work:
// the page faults and address-space changes outweigh the stores causing them.
void BurnByFaulting(ULONGLONG end) {
    while (GetTickCount64() < end) {
        auto* block = static_cast<volatile char*>(
            VirtualAlloc(nullptr, blockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!block) continue;
        for (SIZE_T at = 0; at < blockSize; at += 4096)
            block[at] = 1;
        VirtualFree(const_cast<char*>(block), 0, MEM_RELEASE);
    }
}

} // namespace

int main(int argc, char** argv) {
    const ULONGLONG end = GetTickCount64() + NumberArgument(argc, argv, 1, 1000);
    if (!BurnByReading(end)) BurnByFaulting(end);
    return 0;
}
