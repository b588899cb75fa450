// Argument reading shared by the small test programs. Unknown or extra
// arguments are ignored, so a test may add a unique token to find the process.
#pragma once

#include <cstdlib>

// The decimal number in argv[index], or fallback when it is absent.
inline long long NumberArgument(int argc, char** argv, int index, long long fallback) {
    if (index >= argc) return fallback;
    return std::strtoll(argv[index], nullptr, 10);
}
