// The notification-area icon as the shell is handed it: one record added, modified and removed, the
// program's icon and the countdown images, and the icon coming back when the shell asks for it.
#include "settings_fixture.h"
#include "tray_fixture.h"

using namespace kelpix;
using namespace kelpix::test;

TEST_F(TrayTest, TheIconIsAddedOnceThenModifiedAndRemoved) {
    tray().ShowIcon(core::kTrayNone);
    EXPECT_TRUE(calls().empty()) << "removing an absent icon asks nothing of the shell";
    tray().ShowIcon(core::kTrayDefault);
    tray().ShowIcon(7);
    EXPECT_TRUE(tray().IconShown());
    tray().ShowIcon(core::kTrayNone);
    EXPECT_FALSE(tray().IconShown());
    tray().ShowIcon(99);

    ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_ADD}));
    EXPECT_TRUE(ShowsDefaultIcon(calls()[0]));
    EXPECT_TRUE(ShowsCountdownImage(calls()[1], 7));
    EXPECT_TRUE(ShowsCountdownImage(calls()[3], 99));
}

TEST_F(TrayTest, ARefusedAddIsTriedAgainAndTheIconComesBackWhenTheNotificationAreaIsMadeAgain) {
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    NotifyIconRecorder::failing = true;
    tray().ShowIcon(5);
    EXPECT_FALSE(tray().IconShown()) << "a refused add leaves no icon";
    NotifyIconRecorder::failing = false;
    tray().ShowIcon(4);                                  // the next change adds it
    shell.ForgetIcons();                                 // Explorer restarted: the icon is gone there
    SendMessageA(tray().Handle(), taskbarCreated, 0, 0); // and the new notification area says so
    tray().ShowIcon(core::kTrayNone);
    SendMessageA(tray().Handle(), taskbarCreated, 0, 0); // not to be shown: not brought back

    ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_MODIFY, NIM_ADD, NIM_ADD, NIM_DELETE}));
    EXPECT_TRUE(ShowsCountdownImage(calls()[2], 4));
    EXPECT_TRUE(ShowsCountdownImage(calls()[3], 4));
}

TEST_F(TrayTest, ATaskbarCreatedThatNoNewNotificationAreaSentKeepsTheOneIcon) {
    // Sent by any program, or twice: the icon is still there, and an add of it is refused.
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    tray().ShowIcon(core::kTrayDefault);
    SendMessageA(tray().Handle(), taskbarCreated, 0, 0);
    SendMessageA(tray().Handle(), taskbarCreated, 0, 0);
    EXPECT_TRUE(tray().IconShown());
    tray().ShowIcon(3);
    tray().ShowIcon(core::kTrayNone);

    EXPECT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_ADD, NIM_MODIFY, NIM_ADD, NIM_MODIFY, NIM_MODIFY, NIM_DELETE}));
    EXPECT_EQ(shell.IconsShown(), 0u) << "an icon was left behind";
}

// A delayed capture of two seconds, set with the main window's toggle and arrows, runs on the real
// timers: each number's image in turn, then the icon goes and the target is grabbed.
TEST_F(TrayTest, ADelayedCaptureShowsEachNumbersImageThenRemovesTheIconAndGrabs) {
    constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);
    ColourWindow target({100, 100, 160, 140}, kOrange); // clear of the main window
    Pump(100);
    ClickControl(main().DelayButton().Handle());
    ClickArrow(main().DelayArrows(), true);
    ASSERT_EQ(session().settings().delay_seconds, 2);
    Send(core::TargetPressed{IdOf(target.Handle())});
    Release();
    EXPECT_FALSE(main().Visible());
    EXPECT_FALSE(IsWindowVisible(Application::Get().Handle()));
    EXPECT_EQ(main().LastImage(), nullptr);

    ASSERT_TRUE(PumpUntil([&] { return shell.Messages().size() == 3; }, 8000));
    ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_MODIFY, NIM_DELETE}));
    EXPECT_TRUE(ShowsCountdownImage(calls()[0], 2));
    EXPECT_TRUE(ShowsCountdownImage(calls()[1], 1));
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(AllPixels(ReadBitmap(main().LastImage()), Rgb(kOrange)));
    EXPECT_TRUE(AllPixels(ReadClipboardBitmap(), Rgb(kOrange)));
}
