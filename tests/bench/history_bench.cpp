// history_bench [repaints]: the cost of one repaint of the history graph
// into 800 x 400 pixels, for a day at 1 s (86 400 passes) and for a minute
// (60 passes), in turns; and what the open window draws at a pass of a
// program at rest: the strips the pass changed, into the kept picture.
// Prints medians in microseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "views/history_paint_win.h"
#include "monitor/state.h"

namespace {

double NowMicroseconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

// A run at 1 s with a load that wanders, a working set that climbs and one
// spike in the middle.
std::unique_ptr<RunRecord> RunOf(uint32_t passes) {
    auto record = std::make_unique<RunRecord>();
    record->Begin(1000, CpuScaleOneClamped, 1000);
    for (uint32_t i = 1; i <= passes; ++i) {
        const auto load = static_cast<int32_t>(i == passes / 2 ? 100 : 20 + (i * 7919) % 30);
        record->Append({i * 1000, load, 30'000'000 + int64_t{i} * 512});
    }
    return record;
}

// One pass of a program at rest, 31 s into its run, drawn as the window
// draws it: only the strips it changed, clipped, into the picture of the
// passes before. Returns the time of that drawing.
double TimePassAtRest(HDC dc, const RECT& area) {
    RunRecord record;
    record.Begin(1000, CpuScaleOneClamped, 1000);
    for (uint32_t i = 1; i <= 31; ++i)
        record.Append({i * 1000, 0, 4'000'000});
    HistoryPicture picture = PaintHistory(dc, area, record, English, 96);
    record.Append({32'000, 0, 4'000'000});
    const double begin = NowMicroseconds();
    RecordedPass last{};
    HistoryFrameOf(record, area.right, area.bottom, 96, English, &last);
    HRGN changed = CreateRectRgn(0, 0, 0, 0);
    for (const RECT& strip : HistoryChanges(picture, last)) {
        HRGN part = CreateRectRgnIndirect(&strip);
        CombineRgn(changed, changed, part, RGN_OR);
        DeleteObject(part);
    }
    SelectClipRgn(dc, changed);
    PaintHistory(dc, area, record, English, 96);
    SelectClipRgn(dc, nullptr);
    DeleteObject(changed);
    GdiFlush();
    return NowMicroseconds() - begin;
}

} // namespace

int main(int argc, char** argv) {
    const int repaints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const auto day = RunOf(86'400);
    const auto minute = RunOf(60);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 800, 400);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    const RECT area{0, 0, 800, 400};
    std::vector<double> dayTimes;
    std::vector<double> minuteTimes;
    std::vector<double> restTimes;
    for (int i = 0; i < repaints; ++i) {
        restTimes.push_back(TimePassAtRest(dc, area));
        for (auto [record, times] : {std::pair{day.get(), &dayTimes}, {minute.get(), &minuteTimes}}) {
            const double begin = NowMicroseconds();
            PaintHistory(dc, area, *record, English, 96);
            GdiFlush();
            times->push_back(NowMicroseconds() - begin);
        }
    }
    for (auto* times : {&dayTimes, &minuteTimes, &restTimes})
        std::sort(times->begin(), times->end());
    std::printf("repaints %d\n", repaints);
    std::printf("day_repaint_us %.0f\n", dayTimes[dayTimes.size() / 2]);
    std::printf("minute_repaint_us %.0f\n", minuteTimes[minuteTimes.size() / 2]);
    std::printf("rest_pass_us %.0f\n", restTimes[restTimes.size() / 2]);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return 0;
}
