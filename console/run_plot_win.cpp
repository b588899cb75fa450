#include "console/run_plot_win.h"

#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include <vector>

#include "console/console_out_win.h"
#include "measure/summary.h"
#include "services/com_win.h"
#include "views/history_layout_win.h"
#include "views/history_paint_win.h"
#include "views/history_title_win.h"
#include "views/owned_gdi_win.h"

namespace {

// The encoder's identities, here so that no import library of the codecs is
// needed: the factory is found through the system's class registry.
constexpr GUID ImagingFactoryClass = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID PngContainer = {
    0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
constexpr GUID PixelsBgra32 = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0f}};

// COM for this thread while the picture is written.
class ComUse {
  public:
    explicit ComUse(const ComFunctions& library)
        : library(library),
          result(Complete(library) ? library.initialize(nullptr, COINIT_APARTMENTTHREADED |
                                                                     COINIT_DISABLE_OLE1DDE)
                                   : E_FAIL) {}
    ~ComUse() {
        if (SUCCEEDED(result)) library.uninitialize();
    }
    ComUse(const ComUse&) = delete;
    ComUse& operator=(const ComUse&) = delete;
    bool Ready() const { return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE; }

  private:
    static bool Complete(const ComFunctions& library) {
        return library.initialize && library.uninitialize && library.create;
    }

    const ComFunctions& library;
    HRESULT result;
};

// title in a row across the top of area, in the graph's font and colours;
// returns the row's height.
int32_t PaintTitleRow(HDC dc, const RECT& area, const Text& title) {
    const TextModes modes(dc, 96);
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    const Painter p{dc, 96, static_cast<int32_t>(metrics.tmHeight),
                    static_cast<int32_t>(std::max<LONG>(metrics.tmMaxCharWidth, 1))};
    const int32_t height = std::min<int32_t>(Margin(p) + p.lineHeight, area.bottom - area.top);
    const OwnedGdi<HBRUSH> background(CreateSolidBrush(HistoryBackground));
    FillArea(dc, {area.left, area.top, area.right, area.top + height}, background.get());
    // In the wide characters of the process's text: a narrow write would read
    // it in the font's code page, and a name in another script would be lost.
    const int size = static_cast<int>(title.size());
    std::vector<wchar_t> wide(title.size() + 1);
    const int count = MultiByteToWideChar(CP_ACP, 0, title.data(), size, wide.data(), size);
    SetTextColor(dc, HistoryText);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    if (count > 0) TextOutW(dc, area.left + Margin(p), area.top + Margin(p), wide.data(), count);
    return height;
}

// The graph under its title as top-down BGRA pixels, every one opaque.
std::vector<uint32_t> Draw(const RunRecord& record, const Text& title, int8_t language,
                           int32_t width, int32_t height) {
    std::vector<uint32_t> pixels;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first, as the encoder takes them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC dc = CreateCompatibleDC(nullptr);
    if (bitmap && bits && dc) {
        const HGDIOBJ previous = SelectObject(dc, bitmap);
        // The title is a row above the graph, which keeps its own layout below.
        const int32_t titleHeight = PaintTitleRow(dc, {0, 0, width, height}, title);
        PaintHistory(dc, {0, titleHeight, width, height}, record, language, 96);
        GdiFlush();
        SelectObject(dc, previous);
        const auto* first = static_cast<const uint32_t*>(bits);
        pixels.assign(first, first + static_cast<size_t>(width) * static_cast<size_t>(height));
        // GDI leaves the fourth byte 0, which would read as transparent.
        for (uint32_t& pixel : pixels) pixel |= 0xFF000000u;
    }
    if (dc) DeleteDC(dc);
    if (bitmap) DeleteObject(bitmap);
    return pixels;
}

// The stream closes its file as it is released, before this returns.
bool Encode(const ComFunctions& com, const Text& path, std::vector<uint32_t>& pixels, int32_t width,
            int32_t height) {
    const int size = static_cast<int>(path.size()) + 1;
    std::vector<wchar_t> widePath(path.size() + 1);
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), size, widePath.data(), size) <= 0)
        return false;
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> options;
    WICPixelFormatGUID format = PixelsBgra32;
    const UINT stride = static_cast<UINT>(width) * 4;
    return SUCCEEDED(com.create(ImagingFactoryClass, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IWICImagingFactory),
                                reinterpret_cast<void**>(factory.put()))) &&
           SUCCEEDED(factory->CreateStream(stream.put())) &&
           SUCCEEDED(stream->InitializeFromFilename(widePath.data(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(PngContainer, nullptr, encoder.put())) &&
           SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(frame.put(), options.put())) &&
           SUCCEEDED(frame->Initialize(options.get())) &&
           SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
           SUCCEEDED(frame->SetResolution(96.0, 96.0)) &&
           SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, PixelsBgra32) &&
           SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), stride,
                                        stride * static_cast<UINT>(height),
                                        reinterpret_cast<BYTE*>(pixels.data()))) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

} // namespace

bool WritePlot(const Text& path, const RunRecord& record, std::string_view programPath,
               int8_t language, int32_t width, int32_t height) {
    const RunFacts facts = record.Facts();
    const Text title = RunTitle(language, programPath, LocalTimeOfTick(facts.StartTick),
                                SummaryOf(facts, GetTickCount64()).runMs);
    std::vector<uint32_t> pixels = Draw(record, title, language, width, height);
    if (pixels.empty()) return false;
    const ComFunctions& library = ComLibrary();
    const ComUse com(library);
    if (!com.Ready()) return false;
    // A file of that name is replaced only by a whole picture.
    if (!WritesThroughTemporary(path)) return Encode(library, path, pixels, width, height);
    const Text temporary = CreateTemporaryBeside(path);
    if (temporary.empty()) return false;
    if (Encode(library, temporary, pixels, width, height)) return TakeName(temporary, path);
    DeleteFileA(temporary.c_str());
    return false;
}
