#include "main_window_fixture.h"
#include "test_support.h"

#include "core/frame_geometry.h"
#include "main/platform.h"

#include <map>
#include <optional>
#include <set>
#include <thread>

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kGrey = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kTeal = RGB(0x20, 0x80, 0xC0);
constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);
constexpr COLORREF kGreen = RGB(0x30, 0xB0, 0x40);

// A backdrop under the main window (248, 127 to about 550, 300) and the two targets below it.
constexpr RECT kBackdrop{40, 60, 980, 740};
constexpr RECT kWindowA{100, 420, 340, 600};
constexpr RECT kWindowB{520, 400, 900, 700};

core::Rect ToCore(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}
RECT WindowRectOf(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}
// Where two pictures of the same area differ: the count of differing pixels and the first of them.
testing::AssertionResult SamePixels(const Pixels& now, const Pixels& before) {
    if (now.width != before.width || now.height != before.height) return testing::AssertionFailure() << "sizes differ";
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < now.height; ++y)
        for (int x = 0; x < now.width; ++x)
            if (now.At(x, y) != before.At(x, y) && differing++ == 0) firstX = x, firstY = y;
    if (differing == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << differing << " pixels differ, the first at " << firstX << "," << firstY
                                       << " (" << std::hex << now.At(firstX, firstY) << " instead of "
                                       << before.At(firstX, firstY) << ")";
}

// The screen pixel at a point, as 0xRRGGBB.
uint32_t ScreenAt(int x, int y) {
    return ReadScreen({x, y, x + 1, y + 1}).At(0, 0);
}

// Counts the pixels of `area` on the screen that are black, and that are not.
struct Census {
    int black = 0, other = 0;
};
Census CountBlack(const RECT& area) {
    Census c;
    for (uint32_t px : ReadScreen(area).data)
        (px == 0 ? c.black : c.other)++;
    return c;
}

// How many pixels on the outline of `r` (its outermost rows and columns) are black.
int BlackOnOutline(const RECT& r) {
    const RECT sides[] = {{r.left, r.top, r.right, r.top + 1},
                          {r.left, r.bottom - 1, r.right, r.bottom},
                          {r.left, r.top, r.left + 1, r.bottom},
                          {r.right - 1, r.top, r.right, r.bottom}};
    int black = 0;
    for (const RECT& side : sides)
        black += CountBlack(side).black;
    return black;
}

// The frame round a window rectangle is black on all of the four strips and nowhere beside them:
// not on the four pixels just outside its corners, which the strips do not hold, not on the ring
// just outside it and (when the window's own picture has no black) not on the ring just inside.
void ExpectFrameAround(const RECT& w, bool plainInside = true) {
    SCOPED_TRACE(testing::Message() << "frame round " << w.left << "," << w.top << "," << w.right << "," << w.bottom);
    for (const core::EdgeStrip& s : core::FrameStrips(ToCore(w))) {
        Census c = CountBlack({s.source.x, s.source.y, s.source.x + s.width, s.source.y + s.height});
        EXPECT_EQ(c.other, 0) << "strip " << static_cast<int>(s.edge) << " is not all black";
    }
    for (POINT corner : {POINT{w.left - 1, w.top - 1}, POINT{w.right + 1, w.top - 1}, POINT{w.left - 1, w.bottom + 1},
                         POINT{w.right + 1, w.bottom + 1}})
        EXPECT_NE(ScreenAt(corner.x, corner.y), 0u) << "corner " << corner.x << "," << corner.y;
    EXPECT_EQ(BlackOnOutline({w.left - 2, w.top - 2, w.right + 3, w.bottom + 3}), 0) << "outside the frame";
    if (plainInside) {
        EXPECT_EQ(BlackOnOutline({w.left + 2, w.top + 2, w.right - 1, w.bottom - 1}), 0) << "inside the frame";
    }
}

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

    POINT TargetIconCentre() { return Centre(WindowRectOf(main().Image4->Handle())); }

    // Presses the left button on the target icon, as the user does.
    void PressOnTargetIcon() {
        POINT at = TargetIconCentre();
        MouseTo(at.x, at.y);
        Pump(30);
        MouseEvent(MOUSEEVENTF_LEFTDOWN);
        ASSERT_TRUE(PumpUntil([&] { return main().TrackState == 0; })) << "the press started no drag";
    }
    // Moves the pointer and waits until the drag frames `expected`.
    void DragTo(POINT at, HWND expected) {
        MouseTo(at.x, at.y);
        EXPECT_TRUE(PumpUntil([&] { return main().TargetWindow == expected; }))
            << "the frame did not move to the window under the pointer";
        Pump(30);
    }

    std::optional<ColourWindow> backdrop_;
};

} // namespace

TEST_F(TargetPickingTest, DragFramesEachWindowAndPutsTheScreenBackExactly) {
    ColourWindow a(kWindowA, kTeal), b(kWindowB, kOrange);
    Pump(150);
    const RECT aroundA = Inflated(kWindowA, 6), aroundB = Inflated(kWindowB, 6);
    const RECT mainRect = WindowRectOf(main().Handle());
    const Pixels beforeA = ReadScreen(aroundA), beforeB = ReadScreen(aroundB);
    // The strips round the main window: its border and what lies just outside it.
    std::map<int, Pixels> beforeMain;
    for (const core::EdgeStrip& s : core::FrameStrips(ToCore(mainRect)))
        beforeMain[static_cast<int>(s.edge)] =
            ReadScreen({s.source.x, s.source.y, s.source.x + s.width, s.source.y + s.height});

    PressOnTargetIcon();
    // The press frames the window it lies in: the main window, not the icon.
    EXPECT_EQ(main().TargetWindow, main().Handle());
    EXPECT_FALSE(main().Image4->Visible());
    EXPECT_EQ(Application::Get().ScreenCursor(), 6);
    EXPECT_EQ(GetCursor(), Application::Get().Cursor(6));
    ExpectFrameAround(mainRect);

    DragTo(Centre(kWindowA), a.Handle());
    ExpectFrameAround(kWindowA);
    for (const core::EdgeStrip& s : core::FrameStrips(ToCore(mainRect)))
        EXPECT_TRUE(SamePixels(ReadScreen({s.source.x, s.source.y, s.source.x + s.width, s.source.y + s.height}),
                               beforeMain[static_cast<int>(s.edge)]))
            << "the main window's surroundings after the frame moved on, strip " << static_cast<int>(s.edge);

    DragTo(Centre(kWindowB), b.Handle());
    ExpectFrameAround(kWindowB);
    EXPECT_TRUE(SamePixels(ReadScreen(aroundA), beforeA)) << "A's surroundings are not as before the drag";

    // Back to A: its strips are saved anew, and taken off again at the release over B.
    DragTo(Centre(kWindowA), a.Handle());
    ExpectFrameAround(kWindowA);
    EXPECT_TRUE(SamePixels(ReadScreen(aroundB), beforeB));
    DragTo({kWindowB.left + 5, kWindowB.bottom - 5}, b.Handle());

    MouseEvent(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([&] { return main().TrackState == -1; }));
    // The release captured B: its pixels, without frame pixels, are the image and on the clipboard.
    EXPECT_EQ(main().TargetWindow, b.Handle());
    Pixels image = ReadBitmap(main().Image1->BitmapHandle());
    EXPECT_EQ(image.width, kWindowB.right - kWindowB.left);
    EXPECT_EQ(image.height, kWindowB.bottom - kWindowB.top);
    EXPECT_TRUE(AllPixels(image, Rgb(kOrange)));
    EXPECT_EQ(ReadClipboardBitmap().data, image.data);
    EXPECT_TRUE(SamePixels(ReadScreen(aroundA), beforeA));
    EXPECT_TRUE(SamePixels(ReadScreen(aroundB), beforeB)) << "a frame was left on the screen";
    EXPECT_TRUE(main().Image4->Visible());
    EXPECT_TRUE(main().Visible());
    EXPECT_EQ(Application::Get().ScreenCursor(), 0);
    EXPECT_EQ(GetCapture(), nullptr);
    // Busy until the capture's own cooldown ends.
    EXPECT_TRUE(main().CaptureBusy);
    EXPECT_TRUE(PumpUntil([&] { return !main().CaptureBusy; }, 1000));
}

TEST_F(TargetPickingTest, MovingWithinOneWindowDrawsNothingAndTheStripsAreOnlyResized) {
    ColourWindow a(kWindowA, kTeal), b(kWindowB, kOrange);
    Pump(150);
    PressOnTargetIcon();
    DragTo(Centre(kWindowA), a.Handle());
    std::array<HBITMAP, 4> handles{};
    for (int i = 0; i < 4; ++i) {
        handles[i] = main().EdgeStrips[i].Handle();
        ASSERT_NE(handles[i], nullptr);
    }

    // A repaints over its part of the frame; moves within A must not draw it again.
    a.SetColour(kGreen);
    Pump(50);
    const RECT inside{kWindowA.left + 1, kWindowA.top + 1, kWindowA.right - 2, kWindowA.top + 2};
    ASSERT_EQ(CountBlack(inside).black, 0);
    for (int step = 1; step <= 5; ++step) {
        MouseTo(kWindowA.left + 20 * step, kWindowA.top + 15 * step);
        Pump(30);
    }
    EXPECT_EQ(main().TargetWindow, a.Handle());
    EXPECT_EQ(CountBlack(inside).black, 0) << "a move within the same window drew the frame again";

    // To a window of another size: the same four bitmaps hold its strips, at its strips' sizes.
    DragTo(Centre(kWindowB), b.Handle());
    const auto strips = core::FrameStrips(ToCore(kWindowB));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(main().EdgeStrips[i].Handle(), handles[i]) << "strip " << i << " was made anew";
        EXPECT_EQ(main().EdgeStrips[i].Size().cx, strips[i].width);
        EXPECT_EQ(main().EdgeStrips[i].Size().cy, strips[i].height);
    }
    // Give up the drag without capturing.
    SendMessageA(main().Panel1->Handle(), WM_CANCELMODE, 0, 0);
}

TEST_F(TargetPickingTest, LosingTheMouseCaptureEndsTheDragWithoutACapture) {
    ColourWindow a(kWindowA, kTeal);
    Pump(150);
    const RECT aroundA = Inflated(kWindowA, 6);
    const Pixels beforeA = ReadScreen(aroundA);

    // Another window of the program takes the mouse capture, and then the system cancels the mode.
    for (bool byCancelMode : {false, true}) {
        SCOPED_TRACE(byCancelMode ? "WM_CANCELMODE" : "SetCapture elsewhere");
        PressOnTargetIcon();
        DragTo(Centre(kWindowA), a.Handle());
        ASSERT_EQ(GetCapture(), main().Panel1->Handle());
        if (byCancelMode)
            SendMessageA(main().Panel1->Handle(), WM_CANCELMODE, 0, 0);
        else
            SetCapture(main().Handle());
        EXPECT_EQ(main().TrackState, -1);
        EXPECT_TRUE(main().Image4->Visible());
        EXPECT_EQ(Application::Get().ScreenCursor(), 0);
        EXPECT_TRUE(SamePixels(ReadScreen(aroundA), beforeA)) << "the frame stayed on the screen";
        ReleaseCapture();

        // The release that follows ends nothing and captures nothing.
        MouseEvent(MOUSEEVENTF_LEFTUP);
        Pump(100);
        EXPECT_FALSE(main().CaptureBusy);
        EXPECT_TRUE(main().Visible());
        EXPECT_EQ(main().Image1->BitmapHandle(), nullptr);
        EXPECT_EQ(main().TrackState, -1);
    }
}

TEST_F(TargetPickingTest, OnlyALeftPressStartsADrag) {
    POINT icon = TargetIconCentre();
    MouseTo(icon.x, icon.y);
    Pump(30);
    // The right button's release brings up the window's context menu; Escape closes it again.
    std::atomic<bool> menuSeen{false};
    std::thread closer([&] {
        for (int i = 0; i < 150 && !menuSeen; ++i) {
            HWND menu = FindWindowA("#32768", nullptr);
            if (menu && IsWindowVisible(menu)) {
                menuSeen = true;
                INPUT keys[2] = {};
                keys[0].type = keys[1].type = INPUT_KEYBOARD;
                keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
                keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
                SendInput(2, keys, sizeof(INPUT));
            }
            Sleep(20);
        }
    });
    for (auto [down, up] : {std::pair{MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP},
                            std::pair{MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP}}) {
        MouseEvent(down);
        Pump(60);
        EXPECT_EQ(main().TrackState, -1);
        EXPECT_TRUE(main().Image4->Visible());
        EXPECT_EQ(GetCapture(), nullptr);
        MouseEvent(up);
        Pump(60);
    }
    closer.join();
    EXPECT_TRUE(menuSeen);
    EXPECT_FALSE(main().CaptureBusy);
    EXPECT_EQ(main().TargetWindow, nullptr);

    // Moves with no button held, and a release whose press was elsewhere, do nothing either.
    SendMessageA(main().Image4->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    SendMessageA(main().Panel1->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(main().TargetWindow, nullptr);
    EXPECT_FALSE(main().CaptureBusy);
    EXPECT_TRUE(main().Visible());
}

TEST_F(TargetPickingTest, ControlsOfTheMainWindowCountAsTheMainWindowButOtherControlsStandAlone) {
    ColourWindow a(kWindowA, kTeal);
    // A control inside A, made by this thread.
    HWND button = CreateWindowExA(0, "BUTTON", "ok", WS_CHILD | WS_VISIBLE, 40, 30, 80, 24, a.Handle(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(button, nullptr);
    Pump(150);
    const RECT aroundButton = Inflated(WindowRectOf(button), 3);
    const Pixels before = ReadScreen(aroundButton);

    main().BeginTargetDrag();
    POINT onToggle = Centre(WindowRectOf(main().SpeedButton2->Handle()));
    main().TrackTarget(onToggle.x, onToggle.y);
    EXPECT_EQ(main().TargetWindow, main().Handle());
    POINT onButton = Centre(WindowRectOf(button));
    main().TrackTarget(onButton.x, onButton.y);
    EXPECT_EQ(main().TargetWindow, button);
    ExpectFrameAround(WindowRectOf(button), false);
    main().CancelTargetDrag();
    EXPECT_TRUE(SamePixels(ReadScreen(aroundButton), before));
    DestroyWindow(button);
}

TEST_F(TargetPickingTest, StripsArePutBackOnceOnly) {
    ColourWindow a(kWindowA, kTeal);
    Pump(150);
    const RECT aroundA = Inflated(kWindowA, 4);
    const Pixels before = ReadScreen(aroundA);
    main().BeginTargetDrag();
    POINT at = Centre(kWindowA);
    main().TrackTarget(at.x, at.y);
    ASSERT_EQ(main().TargetWindow, a.Handle());
    main().EraseHighlight(a.Handle());
    EXPECT_TRUE(SamePixels(ReadScreen(aroundA), before));

    // A repaints afterwards; erasing once more must not paint the old pixels over it.
    a.SetColour(kGreen);
    Pump(50);
    const Pixels repainted = ReadScreen(aroundA);
    main().EraseHighlight(a.Handle());
    EXPECT_TRUE(SamePixels(ReadScreen(aroundA), repainted));
    main().CancelTargetDrag();
    EXPECT_TRUE(SamePixels(ReadScreen(aroundA), repainted));
}

namespace {

// Desktop composition as on Windows 10 and 11: window B has invisible resize borders of 7 pixels at
// its left, right and bottom, which its visible bounds leave out. Other windows have none.
HWND g_bordered = nullptr;
HRESULT WINAPI FakeFrameBounds(HWND window, DWORD attribute, PVOID value, DWORD size) {
    if (window != g_bordered || attribute != 9 /* DWMWA_EXTENDED_FRAME_BOUNDS */ || size != sizeof(RECT))
        return E_INVALIDARG;
    RECT r{};
    GetWindowRect(window, &r);
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
    ASSERT_TRUE(PumpUntil([&] { return main().TrackState == -1; }));
    Platform() = saved;

    Pixels image = ReadBitmap(main().Image1->BitmapHandle());
    EXPECT_EQ(image.width, visible.right - visible.left);
    EXPECT_EQ(image.height, visible.bottom - visible.top);
    EXPECT_TRUE(AllPixels(image, Rgb(kOrange)));
    EXPECT_TRUE(SamePixels(ReadScreen(Inflated(kWindowB, 6)), before)) << "a frame was left on the screen";
}
