// exit_code <code>: exits at once with <code> (decimal, may be negative;
// default 0).
#include <windows.h>

#include "program_args.h"

int main(int argc, char** argv) {
    ExitProcess(static_cast<UINT>(NumberArgument(argc, argv, 1, 0)));
}
