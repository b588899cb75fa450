// write_read_file <file> <MB> [hold_ms]: writes <MB> MB (64) to <file> in
// blocks of 1 MB, reads it back the same way, deletes it, then sleeps hold_ms ms (0) so that a
// watcher can read its counters while it lives. Exits with code 1 when the file cannot be made,
// written or read whole.
#include <windows.h>

#include <vector>

#include "program_args.h"

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const long long megabytes = NumberArgument(argc, argv, 2, 64);
    const long long hold = NumberArgument(argc, argv, 3, 0);
    std::vector<char> block(1 << 20, 'b');
    HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    bool whole = true;
    DWORD done = 0;
    const DWORD size = static_cast<DWORD>(block.size());
    for (long long i = 0; i < megabytes && whole; ++i)
        whole = WriteFile(file, block.data(), size, &done, nullptr) && done == size;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    for (long long i = 0; i < megabytes && whole; ++i)
        whole = ReadFile(file, block.data(), size, &done, nullptr) && done == size;
    CloseHandle(file);
    if (hold > 0) Sleep(static_cast<DWORD>(hold));
    return whole ? 0 : 1;
}
