// write_args <outfile> [args...]: writes its current directory and then each
// of its arguments as the runtime split them (argv[0] first), one per line,
// into <outfile>, and exits with code 0 (1 when the file cannot be written).
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    char directory[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) return 1;
    std::fprintf(out, "%s\n", directory);
    for (int i = 0; i < argc; ++i)
        std::fprintf(out, "%s\n", argv[i]);
    return std::fclose(out) == 0 ? 0 : 1;
}
