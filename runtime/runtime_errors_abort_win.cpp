// The end of the program when the runtime meets an error nothing handles.
//
// The runtime's default for an unhandled exception names the exception's
// type on the console first, through a name demangler and a formatted-output
// library; a window program has no console, so that text went nowhere while
// the two made up a quarter of brenk.exe.
//
// The containers' and strings' size checks (a length beyond what can be
// addressed, an index out of range) raise the standard error exceptions,
// which bring their own copy of the older string implementation and of
// formatted output with them. The product's code is built without exceptions,
// so such a throw could only end the program; ending it here directly keeps
// those classes out of the link. A failed allocation is not among these: the
// allocator throws it itself, and the window procedure still catches it.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() {
    std::abort();
}
void __throw_bad_array_new_length() {
    std::abort();
}
void __throw_length_error(const char*) {
    std::abort();
}
void __throw_logic_error(const char*) {
    std::abort();
}
void __throw_out_of_range(const char*) {
    std::abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    std::abort();
}
void __throw_invalid_argument(const char*) {
    std::abort();
}

} // namespace std
