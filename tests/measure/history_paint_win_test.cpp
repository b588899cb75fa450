// The history window brings its picture up to date a strip at a time: the
// strips a new pass changes, drawn into the old picture, must give exactly
// the picture drawn whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "views/history_paint_win.h"
#include "monitor/state.h"

namespace {

constexpr int32_t Width = 640;
constexpr int32_t Height = 400;

// A 32-bit picture in memory to paint into and read back.
class Picture {
  public:
    Picture() : dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = Width;
        format.bmiHeader.biHeight = -Height;
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        bitmap = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous = SelectObject(dc, bitmap);
    }
    ~Picture() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    HDC Dc() const { return dc; }
    std::vector<uint32_t> Pixels() const {
        GdiFlush();
        std::vector<uint32_t> pixels(size_t{Width} * Height);
        std::memcpy(pixels.data(), bits, pixels.size() * sizeof(uint32_t));
        return pixels;
    }

  private:
    HDC dc;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    void* bits = nullptr;
};

TEST(HistoryPaint, StripsOfEachNewPassGiveThePictureDrawnWhole) {
    const RECT area{0, 0, Width, Height};
    for (const int32_t dpi : {96, 144}) {
        RunRecord record;
        record.Begin(1000, CpuScaleOneClamped, 1000);
        // The first two passes hold the extremes, so the frame stays; later
        // passes meet them again, at the plots' very edges, two of them in a
        // row as a program at rest reads the same.
        record.Append({250, 10, 50 << 20});
        record.Append({1250, 100, 80 << 20});
        Picture kept;
        // As the window keeps its picture: with a font chosen once, here the
        // one of 96 DPI, which a paint at 144 must not take for its own.
        HFONT held = MakeHistoryFont(96);
        HGDIOBJ before = SelectObject(kept.Dc(), held);
        HistoryPicture picture = PaintHistory(kept.Dc(), area, record, German, dpi);
        for (uint32_t pass = 2; pass < 10; ++pass) {
            const bool edge = pass % 3 == 1 || pass == 5;
            record.Append({pass * 1000 + 250, edge ? 100 : static_cast<int32_t>(20 + pass * 7 % 60),
                           (edge ? 80 : 55 + pass * 3 % 20) << 20});
            RecordedPass last{};
            ASSERT_EQ(HistoryFrameOf(record, Width, Height, dpi, German, &last), picture.Frame);
            HRGN changed = CreateRectRgn(0, 0, 0, 0);
            for (const RECT& strip : HistoryChanges(picture, last)) {
                HRGN part = CreateRectRgnIndirect(&strip);
                CombineRgn(changed, changed, part, RGN_OR);
                DeleteObject(part);
            }
            SelectClipRgn(kept.Dc(), changed);
            picture = PaintHistory(kept.Dc(), area, record, German, dpi);
            SelectClipRgn(kept.Dc(), nullptr);
            DeleteObject(changed);
            EXPECT_EQ(picture.Last, last);
        }
        EXPECT_EQ(GetCurrentObject(kept.Dc(), OBJ_FONT), held);
        SelectObject(kept.Dc(), before);
        DeleteObject(held);
        Picture whole;
        PaintHistory(whole.Dc(), area, record, German, dpi);
        EXPECT_TRUE(kept.Pixels() == whole.Pixels()) << "at " << dpi << " DPI";
    }
}

// A run climbing from a minimum low on its scale: in no row of the extremes'
// labels (their colour, but not across as their lines) does the curve pass
// under a label.
TEST(HistoryPaint, TheCurveLeavesTheLabelsOfTheExtremesClear) {
    RunRecord record;
    record.Begin(1000, CpuScaleOneClamped, 1000);
    for (int64_t i = 0; i < 20; ++i)
        record.Append({static_cast<uint32_t>(i * 500 + 250), 50, 14'835'712 + i * 22'000'000});
    Picture picture;
    const RECT plot =
        PaintHistory(picture.Dc(), {0, 0, Width, Height}, record, English, 96).Plots[1];
    const std::vector<uint32_t> pixels = picture.Pixels();
    const auto is = [&pixels](LONG x, LONG y, COLORREF c) {
        return (pixels[static_cast<size_t>(y * Width + x)] & 0xFFFFFFu) ==
               (GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c) | 0u);
    };
    int32_t labelRows = 0;
    for (LONG y = plot.top; y < plot.bottom; ++y) {
        bool label = false, curve = false;
        for (LONG x = plot.left + 2; x < plot.left + 160; ++x)
            label |= is(x, y, HistoryExtremeColour), curve |= is(x, y, HistoryMemoryColour);
        label = label && !is(plot.right - 3, y, HistoryExtremeColour);
        labelRows += label;
        EXPECT_FALSE(label && curve) << "row " << y;
    }
    EXPECT_GT(labelRows, 10);
}

} // namespace
