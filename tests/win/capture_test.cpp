// Captures as the screen shows them: the program's own area, a picked window's visible area cut at
// the screen's edges, the cursor drawn in, the window's shape, and what an empty capture or a busy
// clipboard leaves.
#include "main_window_fixture.h"
#include "test_support.h"

#include "core/resolution.h"
#include "services/clipboard_image.h"
#include "services/platform.h"
#include "toolkit/application.h"

#include <algorithm>
#include <functional>
#include <optional>

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kTeal = RGB(0x20, 0x80, 0xC0);
constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);

// Room round the main window, at whatever DPI it is laid out for.
RECT AroundMainWindow(HWND main) {
    RECT r{};
    GetWindowRect(main, &r);
    return Inflated(r, 40);
}

// Desktop composition as on Windows 10 and 11: the bordered window has invisible resize borders of
// `g_border` pixels at its left, right and bottom, which its visible bounds leave out.
HWND g_bordered = nullptr;
int g_border = 0;
HRESULT WINAPI FakeFrameBounds(HWND window, DWORD attribute, PVOID value, DWORD size) {
    if (window != g_bordered || attribute != 9 /* DWMWA_EXTENDED_FRAME_BOUNDS */ || size != sizeof(RECT))
        return E_INVALIDARG;
    RECT r{};
    GetWindowRect(window, &r);
    *static_cast<RECT*>(value) = {r.left + g_border, r.top, r.right - g_border, r.bottom - g_border};
    return S_OK;
}

class CaptureTest : public MainWindowTest {
protected:
    // Picks the window with the target icon and lets go (then runs `meanwhile`, the release saying
    // that the main window lay over the target, so that the grab waits); returns once the capture and
    // its cooldown are over.
    void Capture(HWND target, const std::function<void()>& meanwhile = {}) {
        Send(core::TargetPressed{IdOf(target)});
        if (meanwhile) {
            core::ReleaseScene covered = program().SceneAtRelease();
            covered.main_window = covered.target;
            Send(core::Released{covered});
            meanwhile();
        } else {
            Release();
        }
        ASSERT_TRUE(PumpUntil([&] { return !session().busy(); }));
    }
    // The grab alone, as the session asks for it once a target is picked (with the default settings),
    // without the pick's frame.
    void Grab(HWND target) {
        program().CarryOut({{.act = core::Act::Grab, .window = IdOf(target), .grab = core::kGrabShaped}});
    }
    Pixels Image() { return ReadBitmap(main().LastImage()); }
};

} // namespace

TEST_F(CaptureTest, F5CapturesWhatLiesUnderTheMainWindowAndPutsExactlyThatOnTheClipboard) {
    ColourWindow below(AroundMainWindow(main().Handle()), kTeal);
    SetWindowPos(main().Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(100);
    MSG key{main().Handle(), WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
    ASSERT_TRUE(main().PreTranslateMessage(key));
    ASSERT_TRUE(PumpUntil([&] { return !session().busy(); }));

    EXPECT_TRUE(main().Visible());
    RECT r{};
    GetWindowRect(main().Handle(), &r);
    const Pixels image = Image();
    EXPECT_EQ(image.width, r.right - r.left);
    EXPECT_EQ(image.height, r.bottom - r.top);
    EXPECT_TRUE(AllPixels(image, Rgb(kTeal))) << "the main window itself must not be in the picture";
    // The image view takes the picture's size, so the image box can scroll over it.
    RECT view{};
    GetClientRect(main().LastImageView().Handle(), &view);
    EXPECT_EQ(view.right, image.width);
    EXPECT_EQ(view.bottom, image.height);
    // The main window was hidden while the picture came in; the image box scrolls over all of it.
    const HWND box = GetParent(main().LastImageView().Handle());
    for (int bar : {SB_HORZ, SB_VERT}) {
        SCROLLINFO range{sizeof range, SIF_RANGE, 0, 0, 0, 0, 0};
        ASSERT_TRUE(GetScrollInfo(box, bar, &range));
        EXPECT_EQ(range.nMax + 1, bar == SB_HORZ ? image.width : image.height);
    }

    // The bitmap first, then the DIB and "PNG" (the system may offer a DIB V5 too), but there is no
    // palette or other format.
    ASSERT_TRUE(OpenClipboard(nullptr));
    std::vector<UINT> formats;
    for (UINT format = 0; (format = EnumClipboardFormats(format)) != 0;)
        formats.push_back(format);
    CloseClipboard();
    ASSERT_FALSE(formats.empty());
    EXPECT_EQ(formats.front(), static_cast<UINT>(CF_BITMAP));
    EXPECT_EQ(std::count(formats.begin(), formats.end(), ClipboardImage::PngFormat()), 1);
    for (UINT format : formats)
        EXPECT_TRUE(format == CF_BITMAP || format == CF_DIB || format == CF_DIBV5 ||
                    format == ClipboardImage::PngFormat())
            << "format " << format;
    // Neither asked for yet: the program renders what it owes as it ends.
    StopProgram(program_);
    EXPECT_EQ(ReadClipboardPng().data, image.data);
    EXPECT_EQ(ReadClipboardBitmap().data, image.data);
}

TEST_F(CaptureTest, TheImageIsTheWindowsVisibleBoundsCutAtTheScreensEdges) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        const char* what;
        RECT window;
        int border;
    } cases[] = {
        {"reaching off the top-left edge", {-30, -20, 170, 120}, 0},
        {"past every edge, as a maximised window is", {-4, -4, w + 4, h + 4}, 0},
        {"with invisible borders", {520, 400, 900, 700}, 7},
        {"with invisible borders, past the bottom-right edge", {w - 100, h - 50, w + 20, h + 30}, 7},
    };
    const PlatformCalls saved = Platform();
    Platform().windowAttribute = &FakeFrameBounds;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ColourWindow target(c.window, kTeal);
        g_bordered = target.Handle();
        g_border = c.border;
        Pump(100);
        Grab(target.Handle());
        const RECT& r = c.window;
        const RECT seen{std::max(0L, r.left + c.border), std::max(0L, r.top), std::min<LONG>(w, r.right - c.border),
                        std::min<LONG>(h, r.bottom - c.border)};
        const Pixels image = Image();
        EXPECT_EQ(image.width, seen.right - seen.left);
        EXPECT_EQ(image.height, seen.bottom - seen.top);
        EXPECT_TRUE(AllPixels(image, Rgb(kTeal)));
    }
    Platform() = saved;
}

TEST_F(CaptureTest, TheCursorIsDrawnInWithItsHotSpotAtThePointerAndCutAtTheImagesEdge) {
    const RECT target{600, 400, 900, 600};
    ColourWindow below(target, kTeal);
    // A cursor whose only opaque pixel is black, at its hot spot (5, 7); the rest is transparent.
    BYTE andMask[32 * 4], xorMask[32 * 4] = {};
    memset(andMask, 0xFF, sizeof andMask);
    andMask[7 * 4 + 0] &= static_cast<BYTE>(~(0x80 >> 5));
    HCURSOR cursor = CreateCursor(GetModuleHandleA(nullptr), 5, 7, 32, 32, andMask, xorMask);
    ASSERT_NE(cursor, nullptr);
    Pump(100);

    const struct {
        POINT at;
        bool drawn;
    } cases[] = {{{700, 450}, true}, {{target.left, target.top}, true}, {{700, 450}, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.at.x) + ", " + std::to_string(c.at.y) + (c.drawn ? " drawn" : " not drawn"));
        if (main().CursorButton().Down() != c.drawn) main().CursorButton().Click();
        SetCursorPos(c.at.x, c.at.y);
        Pump(50);
        Capture(below.Handle(), [&] { SetCursor(cursor); }); // what the pointer shows when the grab comes
        const Pixels image = Image();
        ASSERT_EQ(image.width, 300);
        const int x = c.at.x - target.left, y = c.at.y - target.top;
        EXPECT_EQ(image.At(x, y), c.drawn ? 0u : Rgb(kTeal)) << "the hot spot's pixel lands on the pointer";
        EXPECT_EQ(image.At(x + 1, y), Rgb(kTeal));
        EXPECT_EQ(image.At(x, y + 1), Rgb(kTeal));
    }
    DestroyCursor(cursor);
}

TEST_F(CaptureTest, AnEmptyCaptureKeepsTheLastImageAndTheClipboard) {
    ColourWindow last(RECT{100, 100, 160, 140}, kOrange), minimised(AroundMainWindow(main().Handle()), kTeal),
        away(RECT{3000, 3000, 3200, 3100}, kTeal);
    std::optional<ColourWindow> gone(std::in_place, RECT{100, 200, 160, 240}, kTeal);
    const HWND vanished = gone->Handle();
    gone.reset();
    ShowWindow(minimised.Handle(), SW_MINIMIZE);
    Pump(100);
    Capture(last.Handle());
    for (HWND target : {vanished, minimised.Handle(), away.Handle()}) {
        Capture(target);
        EXPECT_TRUE(main().Visible());
        EXPECT_TRUE(AllPixels(Image(), Rgb(kOrange)));
        EXPECT_TRUE(AllPixels(ReadClipboardBitmap(), Rgb(kOrange)));
    }
}

TEST_F(CaptureTest, WhileAnotherProgramHoldsTheClipboardACaptureShowsTheImageWithoutAMessage) {
    ColourWindow target(RECT{100, 100, 160, 140}, kOrange);
    Pump(100);
    Capture(target.Handle());
    target.SetColour(kTeal);
    Pump(50);
    ClipboardHolder holder(3000);
    ASSERT_TRUE(holder.Holding());
    MessageBoxAnswerer answer;
    Capture(target.Handle());
    EXPECT_TRUE(AllPixels(Image(), Rgb(kTeal)));
    EXPECT_FALSE(answer.Seen()) << answer.Text();
    holder.Release();
    EXPECT_TRUE(AllPixels(ReadClipboardBitmap(), Rgb(kOrange)));
}

namespace {

// Windows 11 as the seams tell it: the build, the compositor, and each window's corner preference.
HWND g_rounded = nullptr;
DWORD g_corners = 0;
HRESULT WINAPI FakeCornerPreference(HWND window, DWORD attribute, PVOID value, DWORD size) {
    if (window != g_rounded || attribute != 33 /* DWMWA_WINDOW_CORNER_PREFERENCE */ || size != sizeof(DWORD))
        return E_INVALIDARG;
    *static_cast<DWORD*>(value) = g_corners;
    return S_OK;
}
HRESULT WINAPI CompositionOn(BOOL* on) {
    *on = TRUE;
    return S_OK;
}
uint32_t Windows11Build() {
    return 22631;
}

} // namespace

TEST_F(CaptureTest, OutsideAWindowsRegionThePngIsTransparentAndTheBitmapWhiteUnlessTheOptionIsOff) {
    // Towards the bottom-right corner, away from the main window at any DPI.
    const int right = GetSystemMetrics(SM_CXSCREEN) - 60, bottom = GetSystemMetrics(SM_CYSCREEN) - 60;
    ColourWindow behind({right - 260, bottom - 160, right + 40, bottom + 40}, kOrange);
    ColourWindow target({right - 200, bottom - 120, right, bottom}, kTeal);
    SetWindowRgn(target.Handle(), CreateEllipticRgn(0, 0, 200, 120), TRUE);
    HRGN region = CreateEllipticRgn(0, 0, 200, 120);
    const auto inside = [&](size_t i) {
        return PtInRegion(region, static_cast<int>(i % 200), static_cast<int>(i / 200));
    };
    Pump(100);
    Capture(target.Handle());
    const PngPicture png = DecodePng(ReadClipboardBytes(ClipboardImage::PngFormat()));
    const Pixels bitmap = ReadClipboardBitmap();
    ASSERT_TRUE(png.storesAlpha);
    ASSERT_EQ(png.alpha.size(), 200u * 120u);
    ASSERT_EQ(bitmap.data.size(), 200u * 120u);
    int wrong = 0;
    for (size_t i = 0; i < png.alpha.size(); ++i) {
        const uint32_t colour = inside(i) ? Rgb(kTeal) : 0xFFFFFFu;
        wrong += png.alpha[i] != (inside(i) ? 255 : 0) || png.pixels.data[i] != colour || bitmap.data[i] != colour;
    }
    EXPECT_EQ(wrong, 0) << "pixels whose alpha or colour does not follow the region";
    EXPECT_EQ(png.alpha.front(), 0) << "the corner lies outside the ellipse";
    // The DIB tells the screen's DPI, as a saved BMP does.
    const std::string dib = ReadClipboardBytes(CF_DIB);
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    EXPECT_EQ(header->biXPelsPerMeter, core::PixelsPerMetre(static_cast<uint32_t>(Application::Get().Dpi())));

    // The option off: the rectangle as the screen showed it, the window behind in the corners.
    core::Settings rectangles = session().settings();
    rectangles.shape_mask = false;
    Send(core::OptionsApplied{rectangles});
    Capture(target.Handle());
    const PngPicture plain = DecodePng(ReadClipboardBytes(ClipboardImage::PngFormat()));
    EXPECT_FALSE(plain.storesAlpha);
    ASSERT_EQ(plain.pixels.data.size(), 200u * 120u);
    wrong = 0;
    for (size_t i = 0; i < plain.pixels.data.size(); ++i)
        wrong += plain.pixels.data[i] != (inside(i) ? Rgb(kTeal) : Rgb(kOrange));
    EXPECT_EQ(wrong, 0);
    DeleteObject(region);
}

TEST_F(CaptureTest, Windows11sRoundedCornersAreTransparentWhereWindowsRoundsThem) {
    const int dpi = Application::Get().Dpi();
    ASSERT_TRUE(dpi == 96 || dpi == 144) << dpi;
    const int radius = dpi == 144 ? 12 : 8;
    const struct {
        const char* what;
        DWORD corners;
        bool framed;
        uint32_t (*build)();
        int radius; // 0: square
    } cases[] = {
        {"framed, by default", 0, true, &Windows11Build, radius},
        {"frameless, asking for small corners", 3, false, &Windows11Build, radius / 2},
        {"frameless, by default", 0, false, &Windows11Build, 0},
        {"framed, asking for none", 1, true, &Windows11Build, 0},
        {"Windows 10", 2, true, [] { return 19045u; }, 0},
    };
    const PlatformCalls saved = Platform();
    Platform().windowAttribute = &FakeCornerPreference;
    Platform().compositionEnabled = &CompositionOn;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ColourWindow target({500, 300, 700, 420}, kTeal);
        if (c.framed) SetWindowLongPtrW(target.Handle(), GWL_STYLE, WS_POPUP | WS_VISIBLE | WS_THICKFRAME);
        g_rounded = target.Handle();
        g_corners = c.corners;
        Platform().windowsBuild = c.build;
        Pump(100);
        Grab(target.Handle());
        const std::vector<uint8_t>& mask = main().CurrentImage()->shapeMask;
        if (c.radius == 0) {
            EXPECT_TRUE(mask.empty());
            continue;
        }
        // The first pixel of a row is whole from the row where the corner's circle ends.
        const int width = main().CurrentImage()->size.cx;
        ASSERT_EQ(mask.size(), static_cast<size_t>(width) * main().CurrentImage()->size.cy);
        EXPECT_EQ(mask[0], 0);
        EXPECT_LT(mask[static_cast<size_t>(c.radius - 1) * width], 255);
        EXPECT_EQ(mask[static_cast<size_t>(c.radius) * width], 255);
        EXPECT_EQ(mask[static_cast<size_t>(c.radius) * width + width - 1], 255);
    }
    Platform() = saved;
}
