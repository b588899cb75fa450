// The end of the program when an exception is left unhandled. The runtime's
// default names the exception's type on the console first, through a name
// demangler and a formatted-output library; a window program has no console,
// so that text went nowhere while the two made up a quarter of brenk.exe.
// Defining the handler here keeps the runtime's own out of the link.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx
