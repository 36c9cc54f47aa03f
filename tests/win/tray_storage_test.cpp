// Storing the main window in the notification area and bringing it back: which windows the system
// shows, the icon, and the ways the program is closed or ended meanwhile.
#include "settings_fixture.h"
#include "tray_fixture.h"

using namespace kelpix;
using namespace kelpix::test;

namespace {

class TrayStorageTest : public TrayTest {
protected:
    // The program started afresh, as at start-up, on a settings file holding these keys.
    void Restart(const std::string& keys) {
        StopProgram(program_);
        const std::wstring ini = folder_.Path() + L"Kelpix.ini";
        WriteBytes(ini, "[Option]\r\n" + keys);
        program_ = StartProgram(ini);
    }
    // A command of the tray menu.
    void TrayCommand(core::Command command) { SendMessageA(tray().Handle(), WM_COMMAND, MenuId(command), 0); }
    bool TaskbarWindowShown() const { return IsWindowVisible(Application::Get().Handle()) != FALSE; }

    TempFolder folder_;
};

} // namespace

TEST_F(TrayStorageTest, StoringTwiceLeavesOneIconAndRestoringBringsBackWindowAndTaskbarButton) {
    Run(core::Command::StoreInTray);
    Run(core::Command::StoreInTray);
    EXPECT_FALSE(main().Visible());
    EXPECT_FALSE(TaskbarWindowShown());
    ASSERT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_MODIFY}));
    EXPECT_TRUE(ShowsDefaultIcon(calls()[0]));
    EXPECT_TRUE(ShowsDefaultIcon(calls()[1]));

    TrayCommand(core::Command::ShowFromTray);
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(TaskbarWindowShown());
    EXPECT_EQ(GetActiveWindow(), main().Handle());
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == main().Handle() || IsChild(main().Handle(), focus));
    EXPECT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_MODIFY, NIM_DELETE}));
}

TEST_F(TrayStorageTest, KidoTaskStoresOnceAfterTheFirstShow) {
    Restart("KidoTask=1\r\n");
    // The first show has posted its message; until that is handled the window stays shown.
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(calls().empty());
    ASSERT_TRUE(PumpUntil([&] { return session().in_tray(); }, 2000));
    EXPECT_FALSE(main().Visible());
    EXPECT_FALSE(TaskbarWindowShown());
    ASSERT_EQ(shell.Messages(), Messages{NIM_ADD});
    EXPECT_TRUE(ShowsDefaultIcon(calls()[0]));

    // Later shows post nothing: the window stays out of the notification area.
    TrayCommand(core::Command::ShowFromTray);
    Pump(200);
    EXPECT_TRUE(main().Visible());
    EXPECT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_DELETE}));
}

TEST_F(TrayStorageTest, WithCloseTaskTheCloseBoxAltF4AndTheTaskbarButtonStoreAndTheTrayMenusExitEnds) {
    Restart("CloseTask=1\r\n");
    HWND app = Application::Get().Handle();
    struct Close {
        HWND window;
        UINT message;
        WPARAM wParam;
    };
    // A close message; the close box's and Alt+F4's system command; the taskbar button's close,
    // which goes to the application window.
    for (Close close :
         {Close{main().Handle(), WM_CLOSE, 0}, {main().Handle(), WM_SYSCOMMAND, SC_CLOSE}, {app, WM_CLOSE, 0}}) {
        SCOPED_TRACE(close.message);
        SendMessageA(close.window, close.message, close.wParam, 0);
        EXPECT_FALSE(main().Visible());
        EXPECT_FALSE(TaskbarWindowShown());
        EXPECT_TRUE(tray().IconShown());
        EXPECT_FALSE(Application::Get().Terminated());
        TrayCommand(core::Command::ShowFromTray);
    }
    SendMessageA(main().Handle(), WM_CLOSE, 0, 0);
    TrayCommand(core::Command::Exit);
    EXPECT_TRUE(Application::Get().Terminated());
    EXPECT_FALSE(tray().IconShown());
}

TEST_F(TrayTest, WithoutCloseTaskTheCloseBoxEndsTheMessageLoop) {
    SendMessageA(main().Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(Application::Get().Terminated());
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    EXPECT_TRUE(calls().empty());
}

TEST_F(TrayStorageTest, TheSessionsEndIsNeverRefusedAndEndsTheProgramWithoutLeavingTheIcon) {
    Restart("CloseTask=1\r\n");
    Run(core::Command::StoreInTray);
    EXPECT_EQ(SendMessageA(main().Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageA(main().Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_TRUE(Application::Get().Terminated());

    StopProgram(program_); // as the program's end after its loop
    EXPECT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_DELETE}));
}
