// exit_code <code>: exits at once with <code> (decimal, may be negative;
// default 0). exit_code crash: dies at once of an access violation.
#include <windows.h>

#include <cstring>

#include "program_args.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "crash") == 0) {
        // A write through a null pointer the compiler cannot see through.
        static int* volatile nowhere = nullptr;
        *nowhere = 1;
    }
    ExitProcess(static_cast<UINT>(NumberArgument(argc, argv, 1, 0)));
}
