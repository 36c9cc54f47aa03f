// Picking a target with the mouse on the target icon: the black frame of the program's own windows
// round the window under the pointer, the screen left as its windows paint it, and the capture the
// release makes. Real mouse input where the user's hand would be.
#include "main_window_fixture.h"
#include "test_support.h"

#include "core/frame_geometry.h"
#include "services/platform.h"

#include <memory>
#include <optional>
#include <vector>

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kGrey = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kTeal = RGB(0x20, 0x80, 0xC0);
constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);

// A backdrop under the main window (248, 127 to about 550, 300) and the two targets below it.
constexpr RECT kBackdrop{40, 60, 980, 740};
constexpr RECT kWindowA{100, 420, 340, 600};
constexpr RECT kWindowB{520, 400, 900, 700};

RECT WindowRectOf(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

// Where two pictures of the same area differ: how many pixels, and the first of them.
testing::AssertionResult SamePixels(const Pixels& now, const Pixels& before) {
    if (now.width != before.width || now.height != before.height) return testing::AssertionFailure() << "sizes differ";
    int differing = 0, first = -1;
    for (size_t i = 0; i < now.data.size(); ++i)
        if (now.data[i] != before.data[i] && differing++ == 0) first = static_cast<int>(i);
    if (differing == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << differing << " pixels differ, the first at " << first % now.width << ","
                                       << first / now.width << std::hex << " (" << now.data[first] << " instead of "
                                       << before.data[first] << ")";
}

// The screen shows the area as before, once whatever the frame uncovered has painted itself again.
testing::AssertionResult ScreenComesBack(const RECT& area, const Pixels& before) {
    testing::AssertionResult same = testing::AssertionSuccess();
    PumpUntil([&] { return static_cast<bool>(same = SamePixels(ReadScreen(area), before)); }, 1000);
    return same;
}

int BlackIn(const RECT& area) {
    int black = 0;
    for (uint32_t px : ReadScreen(area).data)
        black += px == 0;
    return black;
}

RECT ToRect(const core::Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

namespace {

class TargetPickingTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        backdrop_.emplace(kBackdrop, kGrey);
        SetWindowPos(main().Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        Pump(100);
    }
    void TearDown() override {
        // Whatever a failed test left, the button goes up.
        if (GetAsyncKeyState(VK_LBUTTON) < 0) MouseEvent(MOUSEEVENTF_LEFTUP);
        Pump(50);
        MainWindowTest::TearDown();
        backdrop_.reset();
    }

    bool Dragging() { return session().dragging(); }

    // The frame's four windows lie just round the visible bounds w (inside where the screen ends), are
    // shown black, topmost, without a taskbar button, and take neither the focus nor the pointer.
    void ExpectFrameAround(const RECT& w) {
        SCOPED_TRACE(testing::Message() << "frame round " << w.left << "," << w.top << "," << w.right << ","
                                        << w.bottom);
        const auto sides = core::FrameSides({w.left, w.top, w.right, w.bottom}, VirtualScreen());
        const auto windows = program().Frame().Windows();
        for (size_t i = 0; i < sides.size(); ++i) {
            const HWND side = windows[i];
            ASSERT_NE(side, nullptr);
            RECT at{};
            GetWindowRect(side, &at);
            const RECT expected = ToRect(sides[i]);
            EXPECT_TRUE(EqualRect(&at, &expected))
                << "side " << i << " at " << at.left << "," << at.top << "," << at.right << "," << at.bottom;
            EXPECT_TRUE(IsWindowVisible(side));
            EXPECT_EQ(BlackIn(at), sides[i].Width() * sides[i].Height()) << "side " << i << " is not all black";
            const LONG_PTR ex = GetWindowLongPtrW(side, GWL_EXSTYLE);
            EXPECT_EQ(ex & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_TOPMOST), WS_EX_TOOLWINDOW | WS_EX_TOPMOST)
                << "a taskbar button, or not above every window";
            EXPECT_EQ(GetWindow(side, GW_OWNER), nullptr);
            EXPECT_NE(GetForegroundWindow(), side);
            EXPECT_NE(GetActiveWindow(), side);
            // Picking finds what lies under the side.
            EXPECT_NE(WindowFromPoint(POINT{at.left + 1, at.top + 1}), side);
        }
    }
    bool Framing(HWND wnd) { return session().target() == IdOf(wnd); }
    POINT TargetIconCentre() { return Centre(WindowRectOf(main().TargetIcon().Handle())); }

    void PressOnTargetIcon() {
        const POINT at = TargetIconCentre();
        MouseTo(at.x, at.y);
        Pump(30);
        MouseEvent(MOUSEEVENTF_LEFTDOWN);
        ASSERT_TRUE(PumpUntil([&] { return Dragging(); })) << "the press started no drag";
    }
    // Moves the pointer and waits until the drag frames `expected`.
    void DragTo(POINT at, HWND expected) {
        MouseTo(at.x, at.y);
        EXPECT_TRUE(PumpUntil([&] { return Framing(expected); }))
            << "the frame did not move to the window under the pointer";
        Pump(30);
    }
    // What ends a drag without a capture leaves the program as it was: nothing grabbed when the grab
    // would have come, the main window shown, nothing pending.
    void ExpectNoCapture() {
        Pump(core::RowOf(core::SessionTimer::RepaintWait).period_ms + 150);
        EXPECT_EQ(main().LastImage(), nullptr);
        EXPECT_TRUE(main().Visible());
        EXPECT_FALSE(session().busy() || Dragging());
        EXPECT_TRUE(main().TargetIcon().Visible());
        EXPECT_EQ(Application::Get().ScreenCursor(), nullptr);
    }

    std::optional<ColourWindow> backdrop_;
};

} // namespace

TEST_F(TargetPickingTest, TheFrameFollowsThePointerTheScreenComesBackExactlyAndTheReleaseCapturesTheLast) {
    ColourWindow a(kWindowA, kTeal), b(kWindowB, kOrange);
    // Another program's control is a target of its own; the main window's own controls are not.
    // Made by this thread, it goes before A's thread ends, which would wait for this one.
    std::unique_ptr<HWND__, decltype(&DestroyWindow)> made(CreateWindowExA(0, "BUTTON", "ok", WS_CHILD | WS_VISIBLE, 40,
                                                                           30, 80, 24, a.Handle(), nullptr,
                                                                           GetModuleHandleA(nullptr), nullptr),
                                                           &DestroyWindow);
    const HWND button = made.get();
    ASSERT_NE(button, nullptr);
    Pump(150);
    const RECT aroundA = Inflated(kWindowA, 6), aroundB = Inflated(kWindowB, 6);
    const RECT mainRect = WindowRectOf(main().Handle());
    const Pixels beforeA = ReadScreen(aroundA), beforeB = ReadScreen(aroundB);

    PressOnTargetIcon();
    EXPECT_TRUE(Framing(main().Handle())) << "the press frames the main window, not the icon";
    EXPECT_FALSE(main().TargetIcon().Visible());
    EXPECT_EQ(Application::Get().ScreenCursor(), main().TargetIcon().IconHandle());
    EXPECT_EQ(GetCursor(), main().TargetIcon().IconHandle());
    ExpectFrameAround(mainRect);

    DragTo(Centre(kWindowA), a.Handle());
    ExpectFrameAround(kWindowA);

    DragTo(Centre(WindowRectOf(button)), button);
    ExpectFrameAround(WindowRectOf(button));

    DragTo(Centre(kWindowB), b.Handle());
    ExpectFrameAround(kWindowB);
    EXPECT_TRUE(ScreenComesBack(aroundA, beforeA)) << "round A and its button";

    MouseEvent(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return main().LastImage() != nullptr; })) << "no capture";
    // B's own pixels, without a frame pixel, are the image and on the clipboard.
    const Pixels image = ReadBitmap(main().LastImage());
    EXPECT_EQ(image.width, kWindowB.right - kWindowB.left);
    EXPECT_EQ(image.height, kWindowB.bottom - kWindowB.top);
    EXPECT_TRUE(AllPixels(image, Rgb(kOrange)));
    EXPECT_EQ(ReadClipboardBitmap().data, image.data);
    EXPECT_TRUE(ScreenComesBack(aroundB, beforeB)) << "a frame was left on the screen";
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(main().TargetIcon().Visible());
    EXPECT_EQ(Application::Get().ScreenCursor(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

namespace {

// Desktop composition as on Windows 10 and 11: window B has invisible resize borders of 7 pixels at
// its left, right and bottom, which its visible bounds leave out. Other windows have none.
HWND g_bordered = nullptr;
HRESULT WINAPI FakeFrameBounds(HWND window, DWORD attribute, PVOID value, DWORD size) {
    if (window != g_bordered || attribute != 9 /* DWMWA_EXTENDED_FRAME_BOUNDS */ || size != sizeof(RECT))
        return E_INVALIDARG;
    const RECT r = WindowRectOf(window);
    *static_cast<RECT*>(value) = {r.left + 7, r.top, r.right - 7, r.bottom - 7};
    return S_OK;
}

} // namespace

TEST_F(TargetPickingTest, FrameAndCaptureUseTheVisibleBoundsOfAWindowWithInvisibleBorders) {
    ColourWindow b(kWindowB, kOrange);
    const PlatformCalls saved = Platform();
    g_bordered = b.Handle();
    Platform().windowAttribute = &FakeFrameBounds;
    const RECT visible{kWindowB.left + 7, kWindowB.top, kWindowB.right - 7, kWindowB.bottom - 7};
    Pump(150);
    const Pixels before = ReadScreen(Inflated(kWindowB, 6));

    PressOnTargetIcon();
    DragTo(Centre(kWindowB), b.Handle());
    ExpectFrameAround(visible);
    MouseEvent(MOUSEEVENTF_LEFTUP);
    const bool captured = PumpUntil([&] { return main().LastImage() != nullptr; });
    Platform() = saved;
    ASSERT_TRUE(captured);
    const Pixels image = ReadBitmap(main().LastImage());
    EXPECT_EQ(image.width, visible.right - visible.left);
    EXPECT_EQ(image.height, visible.bottom - visible.top);
    EXPECT_TRUE(AllPixels(image, Rgb(kOrange)));
    EXPECT_TRUE(ScreenComesBack(Inflated(kWindowB, 6), before)) << "a frame was left on the screen";
}

// A framed window that moves or goes before the frame comes off: the saved pixels no longer belong
// where they go back, so what lies there, and where the window is now, paints itself again.
TEST_F(TargetPickingTest, AFramedWindowThatMovedOrWentIsPaintedAgainWhenTheFrameComesOff) {
    const struct {
        const char* name;
        bool goes;      // destroyed, or moved 40 right and 30 down
        bool moveOnToB; // the frame moves on to B before the release, or comes off at the release
    } rows[] = {{"moved, then B", false, true},
                {"moved, released on it", false, false},
                {"gone, then B", true, true},
                {"gone, released where it was", true, false}};
    // Where A is and was, with a margin.
    const RECT area = Inflated({kWindowA.left, kWindowA.top, kWindowA.right + 40, kWindowA.bottom + 30}, 6);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<ColourWindow> a(std::in_place, kWindowA, kTeal);
        ColourWindow b(kWindowB, kOrange);
        Pump(150);
        PressOnTargetIcon();
        DragTo(Centre(kWindowA), a->Handle());
        ASSERT_GT(BlackIn(Inflated(kWindowA, 2)), 0) << "no frame";
        if (row.goes)
            a.reset();
        else
            SetWindowPos(a->Handle(), nullptr, kWindowA.left + 40, kWindowA.top + 30, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump(150);
        if (row.moveOnToB) DragTo(Centre(kWindowB), b.Handle());
        MouseEvent(MOUSEEVENTF_LEFTUP);
        ASSERT_TRUE(PumpUntil([&] { return !Dragging(); }));
        // The program goes on, whatever the grab found.
        EXPECT_TRUE(PumpUntil([&] { return main().Visible() && !session().busy(); }));
        if (!row.goes) {
            EXPECT_TRUE(AllPixels(ReadBitmap(main().LastImage()), Rgb(row.moveOnToB ? kOrange : kTeal)));
        }

        const RECT now = a ? WindowRectOf(a->Handle()) : RECT{};
        int wrong = 0;
        const bool painted = PumpUntil(
            [&] {
                const Pixels p = ReadScreen(area);
                wrong = 0;
                for (int y = 0; y < p.height; ++y)
                    for (int x = 0; x < p.width; ++x)
                        wrong += p.At(x, y) != Rgb(PtInRect(&now, {area.left + x, area.top + y}) ? kTeal : kGrey);
                return wrong == 0;
            },
            1000);
        EXPECT_TRUE(painted) << wrong << " pixels are neither the backdrop nor A where it is now";
    }
}

TEST_F(TargetPickingTest, ARightOrMiddlePressStartsNothing) {
    const POINT icon = TargetIconCentre();
    for (auto [down, up] : {std::pair{MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP},
                            std::pair{MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP}}) {
        MouseTo(icon.x, icon.y);
        Pump(30);
        MouseEvent(down);
        Pump(60);
        EXPECT_FALSE(Dragging());
        EXPECT_TRUE(main().TargetIcon().Visible());
        EXPECT_EQ(GetCapture(), nullptr);
        // Let go over the backdrop, where a right release opens no menu of the program's.
        MouseTo(kBackdrop.right - 20, kBackdrop.bottom - 20);
        Pump(30);
        MouseEvent(up);
    }
    ExpectNoCapture();
}

TEST_F(TargetPickingTest, ASecondPressDuringADragTakesTheOldFrameOff) {
    ColourWindow a(kWindowA, kTeal);
    Pump(150);
    const Pixels before = ReadScreen(Inflated(kWindowA, 4));
    // The press is taken where the pointer is, on the backdrop; the moves say A.
    MouseTo(kBackdrop.right - 20, kBackdrop.bottom - 20);
    Pump(50);
    const HWND panel = main().TargetPanel().Handle();
    auto mouse = [&](UINT msg, POINT at) {
        ScreenToClient(panel, &at);
        SendMessageA(panel, msg, MK_LBUTTON, MAKELPARAM(static_cast<short>(at.x), static_cast<short>(at.y)));
    };
    mouse(WM_LBUTTONDOWN, {});
    mouse(WM_MOUSEMOVE, Centre(kWindowA));
    ASSERT_TRUE(Framing(a.Handle()));
    ASSERT_GT(BlackIn(Inflated(kWindowA, 4)), 0);
    mouse(WM_LBUTTONDOWN, {}); // the release never came
    EXPECT_TRUE(Framing(backdrop_->Handle()));
    EXPECT_TRUE(ScreenComesBack(Inflated(kWindowA, 4), before)) << "the old frame stayed";
    // The new drag keeps the panel's capture, and its release lets go of it and takes the frame off.
    EXPECT_TRUE(Dragging());
    EXPECT_EQ(GetCapture(), panel);
    mouse(WM_LBUTTONUP, Centre(kBackdrop));
    EXPECT_EQ(GetCapture(), nullptr);
    for (HWND side : program().Frame().Windows())
        EXPECT_FALSE(IsWindowVisible(side));
}

TEST_F(TargetPickingTest, LosingTheMouseCaptureEndsTheDragWithoutACapture) {
    ColourWindow a(kWindowA, kTeal);
    Pump(150);
    const RECT aroundA = Inflated(kWindowA, 6);
    const Pixels beforeA = ReadScreen(aroundA);
    // Another window of the program takes the mouse, or the system cancels the mode.
    for (bool byCancelMode : {false, true}) {
        SCOPED_TRACE(byCancelMode ? "WM_CANCELMODE" : "SetCapture elsewhere");
        PressOnTargetIcon();
        DragTo(Centre(kWindowA), a.Handle());
        ASSERT_EQ(GetCapture(), main().TargetPanel().Handle());
        if (byCancelMode)
            SendMessageA(main().TargetPanel().Handle(), WM_CANCELMODE, 0, 0);
        else
            SetCapture(main().Handle());
        EXPECT_FALSE(Dragging());
        EXPECT_TRUE(ScreenComesBack(aroundA, beforeA)) << "the frame stayed on the screen";
        ReleaseCapture();
        // The release that follows ends nothing and captures nothing.
        MouseEvent(MOUSEEVENTF_LEFTUP);
        ExpectNoCapture();
    }
}

// A window that paints itself anew every 20 ms, framed for a while and then left: the frame never
// lies on its pixels, so they are always its own, and nothing black stays behind.
TEST_F(TargetPickingTest, AWindowRepaintingUnderTheFrameIsAlwaysItsOwnAndNoBlackStays) {
    const RECT r = kWindowB;
    DrawnWindow animated(r, DrawnWindow::Kind::Animated);
    ColourWindow a(kWindowA, kTeal);
    Pump(150);
    const auto own = [](uint32_t px) {
        for (COLORREF c : DrawnWindow::kAnimationColours)
            if (px == Rgb(c)) return true;
        return false;
    };
    PressOnTargetIcon();
    DragTo(Centre(r), animated.Handle());
    ExpectFrameAround(r);
    int looks = 0, foreign = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 400; ++looks) {
        for (uint32_t px : ReadScreen(r).data)
            foreign += !own(px);
        Pump(15);
    }
    EXPECT_EQ(foreign, 0) << "pixels not the window's own in " << looks << " looks";
    DragTo(Centre(kWindowA), a.Handle());
    ExpectFrameAround(kWindowA);
    MouseEvent(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return !Dragging() && !session().busy(); }));
    // Round both windows: no frame window shown, and nothing black once what it uncovered has painted.
    for (HWND side : program().Frame().Windows())
        EXPECT_FALSE(IsWindowVisible(side));
    int black = 0;
    EXPECT_TRUE(
        PumpUntil([&] { return (black = BlackIn(Inflated(r, 6)) + BlackIn(Inflated(kWindowA, 6))) == 0; }, 1000))
        << black << " black pixels stayed";
}

// At the screen's edges the sides lie just inside the window; hiding them uncovers part of the
// target, which the grab then waits for: the frame is never in the image.
TEST_F(TargetPickingTest, AtTheScreensEdgesTheFrameLiesInsideAndIsNeverInTheImage) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const RECT corner{w - 200, h - 150, w + 20, h + 30}; // past the right and bottom edges
    ColourWindow target(corner, kOrange);
    Pump(150);
    PressOnTargetIcon();
    DragTo({w - 100, h - 80}, target.Handle());
    ExpectFrameAround(corner);
    MouseEvent(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return main().LastImage() != nullptr; })) << "no capture";
    const Pixels image = ReadBitmap(main().LastImage());
    EXPECT_EQ(image.width, 200);
    EXPECT_EQ(image.height, 150);
    EXPECT_TRUE(AllPixels(image, Rgb(kOrange))) << "a side of the frame is in the image";
}
