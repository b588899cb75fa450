#include "measure/history_title.h"

#include <cstdio>

#include "measure/summary.h"
#include "services/encoding.h"

namespace {

const char* Dash() {
    return ProcessTextIsUtf8() ? " \xE2\x80\x93 " : " - ";
}

} // namespace

std::string_view FileNameOf(std::string_view path) {
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

Text RunTitle(int8_t language, std::string_view programPath, const CivilTime& start,
              uint64_t runMs) {
    char when[40];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d", static_cast<int>(start.Year),
                  static_cast<int>(start.Month), static_cast<int>(start.Day),
                  static_cast<int>(start.Hour), static_cast<int>(start.Minute));
    // A watched process whose image could not be named has only the rest.
    Text title(FileNameOf(programPath));
    if (!title.empty()) title += Dash();
    title += when;
    title += Dash();
    title += DurationText(language, runMs);
    return title;
}

Text CaptionWithRun(std::string_view caption, const Text& runTitle) {
    Text whole(caption);
    if (runTitle.empty()) return whole;
    whole += Dash();
    whole += runTitle;
    return whole;
}
