#include "measure/history_title.h"

#include "measure/summary.h"
#include "services/encoding.h"

namespace {

// value in at least width digits, led by zeros: printf's machinery would
// cost each program more than the rest of the title together.
Text Digits(int32_t value, size_t width) {
    Text digits = IntegerToText(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

const char* Dash() {
    return ProcessTextIsUtf8() ? " \xE2\x80\x93 " : " - ";
}

} // namespace

std::string_view FileNameOf(std::string_view path) {
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

Text RunTitle(int8_t language, std::string_view programPath, const CivilTime& start,
              std::optional<uint64_t> runMs) {
    const Text when = Digits(start.Year, 4) + "-" + Digits(start.Month, 2) + "-" +
                      Digits(start.Day, 2) + " " + Digits(start.Hour, 2) + ":" +
                      Digits(start.Minute, 2);
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
