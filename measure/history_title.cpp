#include "measure/history_title.h"

#include "measure/reading_log.h"
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

Text RunTitle(int8_t language, std::string_view programPath, const LocalTime& start,
              std::optional<uint64_t> runMs) {
    // The log's own time, to the minute: "2026-12-10 05:10".
    Text when = IsoTimeText(start).substr(0, 16);
    when[10] = ' ';
    // A watched process whose image could not be named has only the rest.
    Text title(FileNameOf(programPath));
    if (!title.empty()) title += Dash();
    title += when;
    if (!runMs) return title;
    title += Dash();
    title += DurationText(language, *runMs);
    return title;
}

Text CaptionWithRun(std::string_view caption, const Text& runTitle) {
    Text whole(caption);
    if (runTitle.empty()) return whole;
    whole += Dash();
    whole += runTitle;
    return whole;
}
