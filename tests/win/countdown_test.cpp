// The delayed capture: the countdown in the notification-area icon, the grab at its end, the cancel.
#include "tray_fixture.h"

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kTeal = RGB(0x20, 0x80, 0xC0);
constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);
constexpr RECT kTargetRect{100, 100, 160, 140}; // clear of the main window

class CountdownTest : public TrayTest {
protected:
    // A delayed capture of `target`, started as a released drag starts it.
    void StartDelayedCapture(const ColourWindow& target, int seconds) {
        main().TargetWindow = target.Handle();
        main().OptionSettings.TimeCapture = true;
        main().OptionSettings.Time = seconds;
        main().BeginBusy();
        main().StartCapture();
    }
    bool CountdownEnds(DWORD timeoutMs) {
        return PumpUntil([&] { return !main().TimeCaptureTimer.Enabled(); }, timeoutMs);
    }
    bool BusyEnds() {
        return PumpUntil([&] { return !main().CaptureBusy; }, 1000);
    }
    bool ImageIs(COLORREF colour) { return AllPixels(ReadBitmap(main().Image1->BitmapHandle()), Rgb(colour)); }
};

} // namespace

TEST_F(CountdownTest, FromThreeShowsThreeTwoOneThenRemovesTheIconAndGrabs) {
    ColourWindow target(kTargetRect, kOrange);
    Pump(100);
    StartDelayedCapture(target, 3);
    // At once the window goes and the icon shows 3; nothing is grabbed yet.
    EXPECT_FALSE(main().Visible());
    EXPECT_FALSE(IsWindowVisible(Application::Get().Handle()));
    EXPECT_EQ(shell.Messages(), Messages{NIM_ADD});
    EXPECT_EQ(main().Image1->BitmapHandle(), nullptr);

    ASSERT_TRUE(CountdownEnds(8000));
    ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_MODIFY, NIM_MODIFY, NIM_DELETE}));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(ShowsCountdownImage(calls()[i], 3 - i));
    for (size_t i = 1; i < calls().size(); ++i) {
        DWORD gap = calls()[i].tick - calls()[i - 1].tick;
        EXPECT_GE(gap, 900u) << "step " << i;
        EXPECT_LE(gap, 2500u) << "step " << i;
    }
    for (const Call& call : calls())
        EXPECT_TRUE(IsTheTrayRecord(call));

    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(ImageIs(kOrange));
    EXPECT_TRUE(AllPixels(ReadClipboardBitmap(), Rgb(kOrange)));
    EXPECT_TRUE(main().CaptureBusy) << "busy until the cooldown after the grab";
    EXPECT_TRUE(BusyEnds());
}

TEST_F(CountdownTest, InTheTrayEndsOnTheDefaultIconAndGrabsWithoutShowingTheWindow) {
    ColourWindow target(kTargetRect, kOrange);
    Pump(100);
    main().StoreInTray();
    StartDelayedCapture(target, 2);
    ASSERT_TRUE(CountdownEnds(6000));

    ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_MODIFY, NIM_MODIFY, NIM_MODIFY}));
    EXPECT_TRUE(ShowsDefaultIcon(calls()[0]));
    EXPECT_TRUE(ShowsCountdownImage(calls()[1], 2));
    EXPECT_TRUE(ShowsCountdownImage(calls()[2], 1));
    EXPECT_TRUE(ShowsDefaultIcon(calls()[3]));
    EXPECT_FALSE(main().Visible());
    EXPECT_TRUE(main().InTray);
    EXPECT_TRUE(AllPixels(ReadClipboardBitmap(), Rgb(kOrange)));
}

TEST_F(CountdownTest, CancelGrabsNothingAndKeepsTheImageAndClipboard) {
    ColourWindow target(kTargetRect, kTeal);
    Pump(100);
    main().TargetWindow = target.Handle();
    main().GrabTarget();
    ASSERT_TRUE(BusyEnds());
    target.SetColour(kOrange);

    // Above 99 seconds the count starts on the default icon.
    StartDelayedCapture(target, 150);
    ASSERT_EQ(shell.Messages(), Messages{NIM_ADD});
    EXPECT_TRUE(ShowsDefaultIcon(calls()[0]));
    Pump(1200);
    main().CancelDelayedCapture();

    EXPECT_EQ(shell.Messages().back(), static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(tray().TrayIconData.hWnd, nullptr);
    EXPECT_TRUE(main().Visible());
    EXPECT_FALSE(main().TimeCaptureTimer.Enabled());
    EXPECT_EQ(main().TargetWindow, target.Handle());
    EXPECT_TRUE(BusyEnds());
    size_t made = calls().size();
    Pump(1200);
    EXPECT_EQ(calls().size(), made) << "no tick after the cancel";
    EXPECT_TRUE(ImageIs(kTeal));
    EXPECT_TRUE(AllPixels(ReadClipboardBitmap(), Rgb(kTeal)));
}

TEST_F(CountdownTest, CancelInTheTrayGoesBackToTheDefaultIcon) {
    ColourWindow target(kTargetRect, kOrange);
    main().StoreInTray();
    StartDelayedCapture(target, 5);
    main().CancelDelayedCapture();
    ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_MODIFY, NIM_MODIFY}));
    EXPECT_TRUE(ShowsCountdownImage(calls()[1], 5));
    EXPECT_TRUE(ShowsDefaultIcon(calls()[2]));
    EXPECT_FALSE(main().Visible());
    EXPECT_EQ(main().Image1->BitmapHandle(), nullptr);
}

TEST_F(CountdownTest, DelayBelowOneCountsOneSecondAndGrabsOnce) {
    ColourWindow target(kTargetRect, kTeal);
    for (int seconds : {0, -5}) {
        SCOPED_TRACE(seconds);
        shell.Clear();
        target.SetColour(kTeal);
        Pump(50);
        StartDelayedCapture(target, seconds);
        ASSERT_TRUE(CountdownEnds(4000)) << "the countdown ends";
        ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_DELETE}));
        EXPECT_TRUE(ShowsCountdownImage(calls()[0], 1));
        EXPECT_TRUE(ImageIs(kTeal));

        target.SetColour(kOrange);
        Pump(1500);
        EXPECT_TRUE(ImageIs(kTeal)) << "grabbed a second time";
        EXPECT_EQ(calls().size(), 2u);
        ASSERT_TRUE(BusyEnds());
    }
}
