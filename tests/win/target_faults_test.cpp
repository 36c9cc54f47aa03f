// Targets that do not hold still: destroyed during the drag or the countdown, moved while framed,
// minimised. The program goes on, the screen is left as the windows paint it, and nothing is lost.
#include "main_window_fixture.h"
#include "test_support.h"

#include <optional>

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kGrey = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kTeal = RGB(0x20, 0x80, 0xC0);
constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);
constexpr RECT kBackdrop{40, 360, 980, 740};
constexpr RECT kWindowA{100, 420, 340, 600};
constexpr RECT kWindowB{520, 400, 900, 700};

int BlackPixels(const RECT& area) {
    int black = 0;
    for (uint32_t px : ReadScreen(area).data)
        black += px == 0;
    return black;
}

class TargetFaultsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        backdrop_.emplace(kBackdrop, kGrey);
        SetWindowPos(main().Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        Pump(100);
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        backdrop_.reset();
    }

    // Mouse messages to the target icon's panel, as the drag's moves reach it under the mouse capture.
    void Mouse(UINT msg, POINT screen) {
        HWND panel = main().Panel1->Handle();
        ScreenToClient(panel, &screen);
        SendMessageA(panel, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(static_cast<short>(screen.x), static_cast<short>(screen.y)));
    }
    void Press() {
        RECT icon{};
        GetWindowRect(main().Panel1->Handle(), &icon);
        Mouse(WM_LBUTTONDOWN, {icon.left + 4, icon.top + 4});
    }

    std::optional<ColourWindow> backdrop_;
};

} // namespace

TEST_F(TargetFaultsTest, TargetDestroyedDuringTheDragLeavesNoFrameAndNoStalePixels) {
    const RECT aroundA = Inflated(kWindowA, 6);
    // Moving on to another window, and releasing over where it was.
    for (bool release : {false, true}) {
        SCOPED_TRACE(release ? "released" : "moved on");
        std::optional<ColourWindow> a(std::in_place, kWindowA, kTeal);
        ColourWindow b(kWindowB, kOrange);
        Pump(100);
        const Pixels corner = ReadScreen({0, 0, 400, 8});
        Press();
        Mouse(WM_MOUSEMOVE, Centre(kWindowA));
        ASSERT_EQ(main().TargetWindow, a->Handle());
        ASSERT_GT(BlackPixels(aroundA), 0) << "the frame is drawn";
        a.reset();
        Pump(150);
        if (release) {
            Mouse(WM_LBUTTONUP, Centre(kWindowA));
            // The window is gone: the capture is empty, and the program comes back as usual.
            EXPECT_EQ(main().Image1->BitmapHandle(), nullptr);
            EXPECT_TRUE(main().Visible());
            EXPECT_TRUE(PumpUntil([&] { return !main().CaptureBusy; }, 1000));
        } else {
            Mouse(WM_MOUSEMOVE, Centre(kWindowB));
            EXPECT_EQ(main().TargetWindow, b.Handle());
            SendMessageA(main().Panel1->Handle(), WM_CANCELMODE, 0, 0);
        }
        Pump(100);
        EXPECT_EQ(main().TrackState, -1);
        EXPECT_EQ(BlackPixels(aroundA), 0) << "the frame of the vanished window stayed on the screen";
        EXPECT_EQ(ReadScreen({0, 0, 400, 8}).data, corner.data) << "saved pixels were put back elsewhere";
    }
}

TEST_F(TargetFaultsTest, TargetMovedWhileFramedLeavesNoFrameWhereItWasOrIs) {
    ColourWindow a(kWindowA, kTeal), b(kWindowB, kOrange);
    Pump(100);
    Press();
    Mouse(WM_MOUSEMOVE, Centre(kWindowA));
    ASSERT_EQ(main().TargetWindow, a.Handle());
    SetWindowPos(a.Handle(), nullptr, kWindowA.left + 40, kWindowA.top + 30, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump(150);
    Mouse(WM_MOUSEMOVE, Centre(kWindowB));
    Mouse(WM_LBUTTONUP, Centre(kWindowB));
    Pump(150);
    EXPECT_EQ(BlackPixels(Inflated(kWindowA, 6)), 0) << "a frame was left where A was";
    RECT now{};
    GetWindowRect(a.Handle(), &now);
    EXPECT_EQ(BlackPixels(Inflated(now, 6)), 0) << "a frame was left where A is";
    EXPECT_TRUE(AllPixels(ReadBitmap(main().Image1->BitmapHandle()), Rgb(kOrange)));
}

TEST_F(TargetFaultsTest, MinimisedTargetGivesAnEmptyImageAndTheProgramGoesOn) {
    ColourWindow a(kWindowA, kTeal);
    Pump(100);
    ShowWindow(a.Handle(), SW_MINIMIZE);
    Pump(100);
    ASSERT_TRUE(IsIconic(a.Handle()));
    main().TargetWindow = a.Handle();
    main().BeginBusy();
    main().RepaintWait = 0;
    main().StartCapture();
    // Nothing of it is on the screen to copy: the capture is of a minimised window's placeholder or
    // empty, never of other windows' pixels at the window's remembered place.
    SIZE size = main().Image1->BitmapSize();
    if (size.cx > 0) {
        EXPECT_FALSE(AllPixels(ReadBitmap(main().Image1->BitmapHandle()), Rgb(kGrey)));
    }
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(PumpUntil([&] { return !main().CaptureBusy; }, 1000));
}

TEST_F(TargetFaultsTest, TargetDestroyedDuringTheCountdownGivesAnEmptyImageAndTheProgramGoesOn) {
    std::optional<ColourWindow> a(std::in_place, kWindowA, kTeal);
    Pump(100);
    main().TargetWindow = a->Handle();
    main().OptionSettings.TimeCapture = true;
    main().OptionSettings.Time = 1;
    main().BeginBusy();
    main().StartCapture();
    EXPECT_FALSE(main().Visible());
    a.reset();
    ASSERT_TRUE(PumpUntil([&] { return !main().TimeCaptureTimer.Enabled(); }, 3000));
    EXPECT_EQ(main().Image1->BitmapHandle(), nullptr);
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(PumpUntil([&] { return !main().CaptureBusy; }, 1000));
    // And the next capture works.
    ColourWindow b(kWindowB, kOrange);
    Pump(100);
    main().OptionSettings.TimeCapture = false;
    main().RepaintWait = 0;
    main().TargetWindow = b.Handle();
    main().BeginBusy();
    main().StartCapture();
    EXPECT_TRUE(AllPixels(ReadBitmap(main().Image1->BitmapHandle()), Rgb(kOrange)));
}

TEST_F(TargetFaultsTest, DuringADragCommandsDoNothingAndASecondPressTakesTheOldFrameOff) {
    ColourWindow a(kWindowA, kTeal);
    Pump(100);
    const Pixels before = ReadScreen(Inflated(kWindowA, 4));
    RECT placed{}, now{};
    GetWindowRect(main().Handle(), &placed);
    SetCursorPos(kBackdrop.right - 20, kBackdrop.bottom - 20);
    Press();
    Mouse(WM_MOUSEMOVE, Centre(kWindowA));
    MSG f5{main().Handle(), WM_KEYDOWN, VK_F5, 0, 0, {}};
    main().PreTranslateMessage(f5);
    for (WORD command : {ID_MEMUTYOKKA, ID_MENUDEFAULT, ID_MEMUTASK})
        SendMessageA(main().Handle(), WM_COMMAND, command, 0);
    GetWindowRect(main().Handle(), &now);
    EXPECT_TRUE(EqualRect(&now, &placed) && main().Visible() && !main().CaptureBusy);
    EXPECT_GT(BlackPixels(Inflated(kWindowA, 4)), 0) << "the frame is still on";
    Press(); // the release never came
    EXPECT_EQ(ReadScreen(Inflated(kWindowA, 4)).data, before.data) << "the old frame stayed";
    main().CancelTargetDrag();
}
