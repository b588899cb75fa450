#include "services/launcher.h"

Text ShellDirectoryOf(std::string_view path) {
    const size_t last = path.rfind('\\');
    // A backslash in first place would leave no directory name before it.
    if (last == std::string_view::npos || last == 0) return Text();
    return Text(path.substr(0, last + 1));
}
