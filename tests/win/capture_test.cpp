#include "main_window_fixture.h"
#include "test_support.h"

#include "main/texts.h"
#include "toolkit/error.h"

#include <optional>

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kTeal = RGB(0x20, 0x80, 0xC0);
constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);

// Covers the main window's whole rectangle with room to spare.
// Room round the main window, at whatever DPI it is laid out for.
RECT AroundMainWindow() {
    RECT r{};
    GetWindowRect(Kelpix->Handle(), &r);
    return Inflated(r, 40);
}

class CaptureTest : public MainWindowTest {
protected:
    void CaptureOwnArea() {
        main().N10Click();
        PumpUntil([&] { return !main().CaptureBusy; }, 2000);
    }
};

} // namespace

TEST_F(CaptureTest, OwnAreaCaptureCopiesWhatLiesUnderTheMainWindow) {
    ColourWindow below(AroundMainWindow(), kTeal);
    main().ShowMainWindow(true);
    SetWindowPos(main().Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(100);

    main().N10Click();
    // The window comes back and the busy time runs on for the cooldown.
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(main().CaptureBusy);
    EXPECT_TRUE(main().Timer1.Running());
    EXPECT_EQ(main().Timer1.Interval(), 200u);
    EXPECT_EQ(main().TargetWindow, main().Handle());

    RECT r{};
    GetWindowRect(main().Handle(), &r);
    Pixels image = ReadBitmap(main().Image1->BitmapHandle());
    EXPECT_EQ(image.width, r.right - r.left);
    EXPECT_EQ(image.height, r.bottom - r.top);
    EXPECT_TRUE(AllPixels(image, Rgb(kTeal))) << "the main window itself must not be in the picture";
    // The image control takes the picture's size, so the scroll box can scroll over it.
    RECT view{};
    GetClientRect(main().Image1->Handle(), &view);
    EXPECT_EQ(view.right, image.width);
    EXPECT_EQ(view.bottom, image.height);

    // Only a bitmap: the system may offer it as a DIB too, but there is no palette or other format.
    for (UINT format = 0; OpenClipboard(nullptr);) {
        while ((format = EnumClipboardFormats(format)) != 0)
            EXPECT_TRUE(format == CF_BITMAP || format == CF_DIB || format == CF_DIBV5) << "format " << format;
        CloseClipboard();
        break;
    }
    Pixels clip = ReadClipboardBitmap();
    EXPECT_EQ(clip.width, image.width);
    EXPECT_EQ(clip.data, image.data);
}

TEST_F(CaptureTest, SecondCaptureWithinTheCooldownDoesNothing) {
    ColourWindow below(AroundMainWindow(), kTeal);
    SetWindowPos(main().Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(100);
    main().N10Click();
    below.SetColour(kOrange);
    main().N10Click(); // still cooling down
    EXPECT_TRUE(AllPixels(ReadBitmap(main().Image1->BitmapHandle()), Rgb(kTeal)));

    ASSERT_TRUE(PumpUntil([&] { return !main().CaptureBusy; }, 1000));
    EXPECT_FALSE(main().Timer1.Enabled());
    main().N10Click();
    EXPECT_TRUE(AllPixels(ReadBitmap(main().Image1->BitmapHandle()), Rgb(kOrange)));
}

TEST_F(CaptureTest, OwnAreaCaptureDoesNothingWhileStoredInTheTray) {
    main().InTray = true;
    main().N10Click();
    EXPECT_FALSE(main().CaptureBusy);
    EXPECT_TRUE(main().Visible());
    EXPECT_EQ(main().TargetWindow, nullptr);
}

TEST_F(CaptureTest, PendingCooldownNeverEndsANewerCapturesBusyTime) {
    main().N10Click();
    ASSERT_TRUE(main().Timer1.Running());
    // A new capture starts (as a drag released right after the grab does) before the tick.
    main().BeginBusy();
    Pump(400);
    EXPECT_TRUE(main().CaptureBusy);
    main().StartCooldown();
    EXPECT_TRUE(PumpUntil([&] { return !main().CaptureBusy; }, 1000));
}

TEST_F(CaptureTest, CursorIsDrawnWithItsHotSpotAtThePointer) {
    const RECT target{600, 400, 900, 600};
    ColourWindow below(target, kTeal);
    Pump(100);
    // A cursor whose only opaque pixel is black, at its hot spot (5, 7); the rest is transparent.
    BYTE andMask[32 * 4], xorMask[32 * 4] = {};
    memset(andMask, 0xFF, sizeof andMask);
    andMask[7 * 4 + 0] &= static_cast<BYTE>(~(0x80 >> 5));
    HCURSOR cursor = CreateCursor(GetModuleHandleA(nullptr), 5, 7, 32, 32, andMask, xorMask);
    ASSERT_NE(cursor, nullptr);

    main().SpeedButton2->SetDown(true);
    main().TargetWindow = below.Handle();
    POINT at{700, 450};
    SetCursorPos(at.x, at.y);
    Pump(50);
    SetCursor(cursor);
    main().GrabTarget();

    Pixels image = ReadBitmap(main().Image1->BitmapHandle());
    ASSERT_EQ(image.width, 300);
    int x = at.x - target.left, y = at.y - target.top;
    EXPECT_EQ(image.At(x, y), 0u) << "the hot spot pixel lands on the pointer position";
    EXPECT_EQ(image.At(x - 1, y), Rgb(kTeal));
    EXPECT_EQ(image.At(x + 1, y), Rgb(kTeal));
    EXPECT_EQ(image.At(x, y - 1), Rgb(kTeal));
    EXPECT_EQ(Application::Get().Cursor(5), cursor);
    EXPECT_EQ(main().Image3->IconHandle(), cursor);
    EXPECT_FALSE(main().Image3->Visible());

    // At the image's top-left corner the cursor is cut there.
    SetCursorPos(target.left, target.top);
    Pump(50);
    SetCursor(cursor);
    main().GrabTarget();
    EXPECT_EQ(ReadBitmap(main().Image1->BitmapHandle()).At(0, 0), 0u);

    // With the overlay off the last cursor stays recorded and nothing is drawn.
    main().SpeedButton2->SetDown(false);
    PumpUntil([&] { return !main().CaptureBusy; }, 1000);
    main().GrabTarget();
    EXPECT_EQ(ReadBitmap(main().Image1->BitmapHandle()).At(x, y), Rgb(kTeal));
    EXPECT_EQ(Application::Get().Cursor(5), cursor);
    DestroyCursor(cursor);
}

TEST_F(CaptureTest, AnEmptyCaptureKeepsTheLastImageAndTheClipboard) {
    ColourWindow last(RECT{100, 100, 160, 140}, kOrange), minimised(AroundMainWindow(), kTeal),
        away(RECT{3000, 3000, 3200, 3100}, kTeal);
    std::optional<ColourWindow> gone(std::in_place, AroundMainWindow(), kTeal);
    const HWND vanished = gone->Handle();
    gone.reset();
    ShowWindow(minimised.Handle(), SW_MINIMIZE);
    Pump(100);
    main().TargetWindow = last.Handle();
    main().GrabTarget();
    for (HWND target : {vanished, minimised.Handle(), away.Handle()}) {
        ASSERT_TRUE(PumpUntil([&] { return !main().CaptureBusy; }));
        main().TargetWindow = target;
        main().BeginBusy();
        main().StartCapture();
        EXPECT_TRUE(main().Visible() && main().Timer1.Running());
        EXPECT_TRUE(AllPixels(ReadBitmap(main().Image1->BitmapHandle()), Rgb(kOrange)));
        EXPECT_TRUE(AllPixels(ReadClipboardBitmap(), Rgb(kOrange)));
    }
}

TEST_F(CaptureTest, ATargetReachingPastTheScreensEdgesIsCutAtThem) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    // Partly off the top-left edge; past every edge, as a maximised window is.
    for (RECT r : {RECT{-30, -20, 170, 120}, RECT{-4, -4, w + 4, h + 4}}) {
        ColourWindow target(r, kTeal);
        Pump(100);
        main().TargetWindow = target.Handle();
        main().GrabTarget();
        Pixels image = ReadBitmap(main().Image1->BitmapHandle());
        EXPECT_EQ(image.width * image.height, std::min<int>(r.right, w) * std::min<int>(r.bottom, h));
        EXPECT_TRUE(AllPixels(image, Rgb(kTeal)));
    }
}

TEST_F(CaptureTest, GrabInTheTrayFillsTheClipboardButKeepsTheWindowHidden) {
    ColourWindow target(RECT{100, 100, 160, 140}, kOrange);
    Pump(100);
    main().InTray = true;
    main().ShowMainWindow(false);
    main().TargetWindow = target.Handle();
    main().GrabTarget();
    EXPECT_FALSE(main().Visible());
    Pixels clip = ReadClipboardBitmap();
    EXPECT_EQ(clip.width, 60);
    EXPECT_EQ(clip.height, 40);
    EXPECT_TRUE(AllPixels(clip, Rgb(kOrange)));
}

TEST_F(CaptureTest, ClipboardHeldElsewhereFailsTheCopyWithTheMessage) {
    ColourWindow target(RECT{100, 100, 160, 140}, kOrange);
    Pump(50);
    main().TargetWindow = target.Handle();
    main().GrabTarget();
    // Another process holds the clipboard open.
    ClipboardHolder holder(3000);
    ASSERT_TRUE(holder.Holding());
    try {
        main().CopyImageToClipboard();
        ADD_FAILURE() << "the copy must fail while another window holds the clipboard";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), texts::kClipboardOpenFailed);
    }
    // A grab meanwhile is silent: the image is shown, the clipboard keeps what it had.
    target.SetColour(kTeal);
    main().GrabTarget();
    EXPECT_TRUE(AllPixels(ReadBitmap(main().Image1->BitmapHandle()), Rgb(kTeal)));
    holder.Release();
    EXPECT_TRUE(AllPixels(ReadClipboardBitmap(), Rgb(kOrange)));
}
