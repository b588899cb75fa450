// Argument reading shared by the small test programs. Unknown or extra
// arguments are ignored, so a test may add a unique token to find the process.
#pragma once

#include <cstdlib>

// The decimal number in argv[index], or fallback when it is absent or is not
// wholly a number: a token such as "unique-token" or "7x" must never be read
// as 0, or a program told to hold until killed would end at once.
inline long long NumberArgument(int argc, char** argv, int index, long long fallback) {
    if (index >= argc || !argv[index][0]) return fallback;
    char* end = nullptr;
    const long long value = std::strtoll(argv[index], &end, 10);
    return *end ? fallback : value;
}
