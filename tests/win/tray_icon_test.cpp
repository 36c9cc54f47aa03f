// The notification-area icon: one record, added once, modified, removed; the default and countdown icons.
#include "tray_fixture.h"

using namespace kelpix;
using namespace kelpix::test;

TEST_F(TrayTest, TwoShowsAddTheIconOnceThenModifyIt) {
    tray().UpdateTrayIcon(false, 0);
    EXPECT_TRUE(calls().empty()) << "removing an absent icon asks nothing of the shell";

    tray().UpdateTrayIcon(true, 0);
    tray().UpdateTrayIcon(true, 7);
    ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_MODIFY}));
    for (const Call& call : calls())
        EXPECT_TRUE(IsTheTrayRecord(call));
    EXPECT_TRUE(ShowsDefaultIcon(calls()[0]));
    EXPECT_TRUE(ShowsCountdownImage(calls()[1], 7));
}

TEST_F(TrayTest, AfterARemovalTheNextShowAddsAFreshRecord) {
    tray().UpdateTrayIcon(true, 3);
    tray().UpdateTrayIcon(false, 0);
    EXPECT_EQ(tray().TrayIconData.hWnd, nullptr);
    tray().UpdateTrayIcon(false, 0);
    // Whatever became of the record meanwhile, the add fills it again.
    tray().TrayIconData.uFlags = 0;
    tray().TrayIconData.uCallbackMessage = 0;
    tray().TrayIconData.szTip[0] = '\0';
    tray().UpdateTrayIcon(true, 0);

    ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_DELETE, NIM_ADD}));
    for (const Call& call : calls())
        EXPECT_TRUE(IsTheTrayRecord(call));
    EXPECT_EQ(tray().TrayIconData.hWnd, tray().Handle());
}

TEST_F(TrayTest, NumbersOneTo99ShowTheirImageAndAnyOtherTheDefaultIcon) {
    for (int number : {0, -5, 100}) {
        tray().UpdateTrayIcon(true, number);
        EXPECT_TRUE(ShowsDefaultIcon(calls().back())) << number;
    }
    for (int number : {1, 99, 10, 42, 42}) {
        tray().UpdateTrayIcon(true, number);
        EXPECT_TRUE(ShowsCountdownImage(calls().back(), number));
        EXPECT_TRUE(IsTheTrayRecord(calls().back()));
        // img_1 holds the one countdown icon last handed over.
        EXPECT_EQ(tray().img_1->IconHandle(), calls().back().data.hIcon);
    }
    EXPECT_EQ(shell.Messages().size(), 8u);
}

TEST_F(TrayTest, ARefusedAddIsTriedAgainAndTheIconComesBackWhenTheNotificationAreaIsMadeAgain) {
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    NotifyIconRecorder::failing = true;
    tray().UpdateTrayIcon(true, 5);
    EXPECT_EQ(tray().TrayIconData.hWnd, nullptr) << "a refused add counts as shown";
    NotifyIconRecorder::failing = false;
    SendMessageA(tray().Handle(), taskbarCreated, 0, 0);
    SendMessageA(tray().Handle(), taskbarCreated, 0, 0); // Explorer restarted with the icon there
    tray().UpdateTrayIcon(false, 0);
    SendMessageA(tray().Handle(), taskbarCreated, 0, 0); // not to be shown: not brought back
    ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_ADD, NIM_ADD, NIM_DELETE}));
    EXPECT_TRUE(ShowsCountdownImage(calls()[2], 5));
}
