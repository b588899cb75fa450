// copy_input [pid]: a console program that copies its standard input to its
// standard output until the input ends, then exits with code 0. With "pid"
// it first writes its process identifier and a line end.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "pid") == 0) {
        std::printf("%lu\n", GetCurrentProcessId());
        std::fflush(stdout);
    }
    char buffer[4096];
    DWORD got = 0;
    DWORD written = 0;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    while (ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0)
        if (!WriteFile(output, buffer, got, &written, nullptr)) return 1;
    return 0;
}
