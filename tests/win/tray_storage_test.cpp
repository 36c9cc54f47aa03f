// Storing the main window in the notification area: by command, at start-up, instead of closing; logoff.
#include "tray_fixture.h"

using namespace kelpix;
using namespace kelpix::test;

TEST_F(TrayTest, StoringTwiceLeavesOneIconAndRestoringBringsBackWindowAndTaskbarButton) {
    HWND app = Application::Get().Handle();
    main().ExecuteCommand(ID_MEMUTASK);
    SendMessageA(main().Handle(), WM_COMMAND, ID_POPTASK, 0);
    EXPECT_TRUE(main().InTray);
    EXPECT_FALSE(main().Visible());
    EXPECT_FALSE(IsWindowVisible(app));
    ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_MODIFY}));
    EXPECT_TRUE(ShowsDefaultIcon(calls()[0]));
    EXPECT_TRUE(ShowsDefaultIcon(calls()[1]));

    main().RestoreFromTray();
    EXPECT_FALSE(main().InTray);
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(IsWindowVisible(app));
    EXPECT_EQ(GetActiveWindow(), main().Handle());
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == main().Handle() || IsChild(main().Handle(), focus));
    EXPECT_EQ(calls().size(), 2u) << "the icon is left to the caller";
}

TEST_F(TrayTest, KidoTaskStoresOnceAfterTheFirstShow) {
    main().OptionSettings.KidoTask = true; // as read from the settings during construction
    // The first show has posted its message; until it is handled the window stays shown.
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(main().FirstShowDone);
    EXPECT_TRUE(calls().empty());
    ASSERT_TRUE(PumpUntil([&] { return main().InTray; }, 2000));
    EXPECT_FALSE(main().Visible());
    EXPECT_FALSE(IsWindowVisible(Application::Get().Handle()));
    ASSERT_EQ(shell.Messages(), Messages{NIM_ADD});
    EXPECT_TRUE(ShowsDefaultIcon(calls()[0]));

    // Later shows post nothing, so the program stays out of the tray.
    main().RestoreFromTray();
    Pump(200);
    EXPECT_FALSE(main().InTray);
    EXPECT_TRUE(main().Visible());
}

TEST_F(TrayTest, WithoutKidoTaskTheFirstShowStoresNothing) {
    Pump(200);
    EXPECT_FALSE(main().InTray);
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(calls().empty());
}

TEST_F(TrayTest, CloseTaskTurnsEveryCloseIntoStoringButExitEnds) {
    main().OptionSettings.CloseTask = true;
    const std::pair<HWND, UINT> closes[] = {{main().Handle(), WM_CLOSE},
                                            {main().Handle(), WM_SYSCOMMAND},
                                            {Application::Get().Handle(), WM_CLOSE}}; // the taskbar button
    for (auto [wnd, msg] : closes) {
        SCOPED_TRACE(msg);
        SendMessageA(wnd, msg, msg == WM_SYSCOMMAND ? SC_CLOSE : 0, 0);
        EXPECT_TRUE(main().InTray);
        EXPECT_FALSE(main().Visible());
        EXPECT_FALSE(Application::Get().Terminated());
        main().RestoreFromTray();
    }
    main().ExecuteCommand(ID_EXIT1);
    EXPECT_TRUE(Application::Get().Terminated());
    EXPECT_FALSE(main().InTray);
}

TEST_F(TrayTest, WithoutCloseTaskACloseEndsTheProgram) {
    SendMessageA(main().Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Application::Get().Terminated());
    EXPECT_FALSE(main().InTray);
    EXPECT_TRUE(calls().empty());
}

TEST_F(TrayTest, LogoffIsNeverRefusedAndClosesDuringItEndTheProgram) {
    main().OptionSettings.CloseTask = true;
    main().StoreInTray();
    HWND app = Application::Get().Handle();
    EXPECT_EQ(SendMessageA(main().Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_EQ(SendMessageA(app, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    // Another program called the logoff off: closes store again.
    SendMessageA(main().Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    main().RestoreFromTray();
    SendMessageA(main().Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(main().InTray);
    EXPECT_FALSE(Application::Get().Terminated());

    // A close while the session ends (a restart manager sends one) ends the program.
    EXPECT_EQ(SendMessageA(main().Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
    SendMessageA(main().Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Application::Get().Terminated());
}

TEST_F(TrayTest, SessionEndEndsTheProgramAndLeavesNoIconBehind) {
    main().OptionSettings.CloseTask = true;
    main().StoreInTray();
    EXPECT_EQ(SendMessageA(main().Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(main().Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(main().Exiting);
    EXPECT_TRUE(Application::Get().Terminated());

    // The program's end destroys the forms.
    delete TaskForm;
    TaskForm = nullptr;
    EXPECT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_DELETE}));
}
