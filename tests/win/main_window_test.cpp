#include "main_window_fixture.h"
#include "test_support.h"

#include "kelpix_hook.h"

#include <commctrl.h>

using namespace kelpix;
using kelpix::test::MainWindowTest;

namespace {

std::string MenuText(HMENU menu, UINT position) {
    char text[256] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

RECT ChildRect(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace

TEST(VersionText, ShowsMajorAndMinorOfTheFileVersion) {
    HMODULE module = LoadLibraryA("version_113.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(TKelpix::GetVersionText(module), "1.13");
    FreeLibrary(module);
    // The program's own record is the project version 1.0.0.0.
    EXPECT_EQ(TKelpix::GetVersionText(nullptr), "1.0");
}

TEST(VersionText, ModuleWithoutVersionRecordIsUndefined) {
    HMODULE hook = GetModuleHandleA("KELPIXDLL.DLL");
    ASSERT_NE(hook, nullptr);
    // "(未定義)" in Shift-JIS.
    EXPECT_EQ(TKelpix::GetVersionText(hook), "(\x96\xA2\x92\xE8\x8B\x60)");
}

TEST_F(MainWindowTest, CaptionPositionAndDefaultClientSize) {
    EXPECT_EQ(main().Text(), "Kelpix [ver 1.0]");
    RECT r{};
    GetWindowRect(main().Handle(), &r);
    EXPECT_EQ(r.left, 248);
    EXPECT_EQ(r.top, 127);
    SIZE client = main().ClientSize();
    EXPECT_EQ(client.cy, 126);
    EXPECT_EQ(client.cx, 294);
    EXPECT_EQ(main().DefaultClientHeight, 126);
    EXPECT_EQ(main().DefaultClientWidth, 294);
}

TEST_F(MainWindowTest, StartsIdleWithTheDocumentedState) {
    EXPECT_EQ(main().TargetWindow, nullptr);
    EXPECT_EQ(main().TrackState, -1);
    EXPECT_FALSE(main().CaptureBusy);
    EXPECT_FALSE(main().InTray);
    EXPECT_FALSE(main().Exiting);
    EXPECT_EQ(main().OptionSettings.Time, 1);
    EXPECT_FALSE(main().Timer1.Enabled());
    EXPECT_FALSE(main().TimeCaptureTimer.Enabled());
    EXPECT_EQ(main().TimeCaptureTimer.Interval(), 1000u);
}

TEST_F(MainWindowTest, MainMenuTextsAreExactShiftJisBytes) {
    HMENU bar = GetMenu(main().Handle());
    ASSERT_EQ(GetMenuItemCount(bar), 4);
    EXPECT_EQ(MenuText(bar, 0), "\x83\x74\x83\x40\x83\x43\x83\x8B(&F)");  // ファイル(&F)
    EXPECT_EQ(MenuText(bar, 1), "\x95\x5C\x8E\xA6(&V)");                  // 表示(&V): trail byte 0x5C
    EXPECT_EQ(MenuText(bar, 2), "\x83\x63\x81\x5B\x83\x8B(&T)");          // ツール(&T)
    EXPECT_EQ(MenuText(bar, 3), "\x83\x77\x83\x8B\x83\x76(&H)");          // ヘルプ(&H)

    HMENU file = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(MenuText(file, 0), "名前を付けて保存(&A)\tCtrl+S");
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(MenuText(file, 2), "終了(&X)");

    HMENU view = GetSubMenu(bar, 1);
    ASSERT_EQ(GetMenuItemCount(view), 3);
    EXPECT_EQ(MenuText(view, 0), "デフォルトサイズに戻す\tCtrl+D");
    EXPECT_EQ(MenuText(view, 1), "直下のサイズに変更\tCtrl+F");
    EXPECT_EQ(MenuText(view, 2), "半透明にする\tCtrl+H");

    HMENU tool = GetSubMenu(bar, 2);
    ASSERT_EQ(GetMenuItemCount(tool), 5);
    // 本体サイズでキャプチャ
    EXPECT_EQ(MenuText(tool, 0), "\x96\x7B\x91\xCC\x83\x54\x83\x43\x83\x59\x82\xC5\x83\x4C\x83\x83\x83\x76\x83\x60"
                                 "\x83\x83\tF5");
    EXPECT_EQ(MenuText(tool, 1), "前回キャプチャを再取得\tF6");
    EXPECT_EQ(MenuText(tool, 2), "タスクトレイに格納");
    EXPECT_EQ(MenuText(tool, 4), "環境オプション...");

    HMENU help = GetSubMenu(bar, 3);
    EXPECT_EQ(MenuText(help, 0), "ヘルプを開く(&R)\tF1");
}

TEST_F(MainWindowTest, ContextMenuHasTheItemsInOrderWithoutShortcuts) {
    HMENU popup = main().PopupMenu1;
    ASSERT_EQ(GetMenuItemCount(popup), 8);
    const char* expected[] = {"デフォルトサイズに戻す", "直下のサイズに変更", "半透明にする", nullptr,
                              "前回キャプチャを再取得", "タスクトレイに格納", nullptr, "環境オプション..."};
    for (UINT i = 0; i < 8; ++i) {
        if (expected[i])
            EXPECT_EQ(MenuText(popup, i), expected[i]) << "item " << i;
        else
            EXPECT_TRUE(GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR) << "item " << i;
    }
}

TEST_F(MainWindowTest, ControlsSitWhereTheLayoutPutsThem) {
    HWND form = main().Handle();
    RECT panel = ChildRect(form, main().Panel1->Handle());
    EXPECT_EQ(panel.left, 8);
    EXPECT_EQ(panel.top, 11);
    EXPECT_EQ(panel.right - panel.left, 72);
    EXPECT_EQ(panel.bottom - panel.top, 38);
    RECT icon = ChildRect(main().Panel1->Handle(), main().Image4->Handle());
    EXPECT_EQ(icon.left, 20);
    EXPECT_EQ(icon.top, 2);
    RECT delay = ChildRect(form, main().SpeedButton1->Handle());
    EXPECT_EQ(delay.top, 56);
    EXPECT_EQ(delay.right - delay.left, 65);
    RECT updown = ChildRect(form, main().UpDown1);
    EXPECT_EQ(updown.left, 65);
    EXPECT_EQ(updown.top, 54);
    EXPECT_EQ(updown.bottom - updown.top, 24);
    RECT cursor = ChildRect(form, main().SpeedButton2->Handle());
    EXPECT_EQ(cursor.top, 80);
    RECT recopy = ChildRect(form, main().SpeedButton3->Handle());
    EXPECT_EQ(recopy.top, 104);
    // The scroll box fills the client area right of the 89-pixel column and below the top line.
    RECT box = ChildRect(form, main().ScrollBox1->Handle());
    EXPECT_EQ(box.left, 89);
    EXPECT_EQ(box.top, 2);
    EXPECT_EQ(box.right, 294);
    EXPECT_EQ(box.bottom, 126);

    EXPECT_EQ(main().SpeedButton1->Caption(), "時間差 1秒");
    EXPECT_EQ(main().SpeedButton2->Caption(), "\xCF\xB3\xBD\xB6\xB0\xBF\xD9");  // ﾏｳｽｶｰｿﾙ, half-width
    EXPECT_EQ(main().SpeedButton3->Caption(), "前回再取得");
    EXPECT_FALSE(main().Image3->Visible());
    EXPECT_NE(main().Image4->IconHandle(), nullptr);
    EXPECT_EQ(Application::Get().Cursor(6), main().Image4->IconHandle());

    int low = 0, high = 0;
    SendMessageA(main().UpDown1, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 99);
    EXPECT_EQ(SendMessageA(main().UpDown1, UDM_GETPOS32, 0, 0), 1);
}

TEST_F(MainWindowTest, TabMovesThroughScrollBoxPanelAndUpDown) {
    HWND form = main().Handle();
    HWND first = GetNextDlgTabItem(form, main().UpDown1, FALSE);
    EXPECT_EQ(first, main().ScrollBox1->Handle());
    HWND second = GetNextDlgTabItem(form, first, FALSE);
    EXPECT_EQ(second, main().Panel1->Handle());
    HWND third = GetNextDlgTabItem(form, second, FALSE);
    EXPECT_EQ(third, main().UpDown1);
    EXPECT_EQ(GetNextDlgTabItem(form, third, FALSE), first);
}

TEST_F(MainWindowTest, HidingTheMainWindowHidesTheTaskbarButtonToo) {
    HWND app = Application::Get().Handle();
    EXPECT_TRUE(IsWindowVisible(app));
    main().ShowMainWindow(false);
    EXPECT_FALSE(main().Visible());
    EXPECT_FALSE(IsWindowVisible(app));
    main().ShowMainWindow(true);
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(IsWindowVisible(app));
    // The application window owns the main window.
    EXPECT_EQ(GetWindow(main().Handle(), GW_OWNER), app);
}

TEST_F(MainWindowTest, ExitEndsTheMessageLoop) {
    EXPECT_FALSE(Application::Get().Terminated());
    main().ExecuteCommand(ID_EXIT1);
    EXPECT_TRUE(main().Exiting);
    EXPECT_TRUE(Application::Get().Terminated());
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindowTest, ShortcutKeysReachTheirCommands) {
    // F5 goes through the accelerator table to the own-area capture.
    MSG msg{main().Handle(), WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
    EXPECT_TRUE(main().PreTranslateMessage(msg));
    kelpix::test::PumpUntil([&] { return main().CaptureBusy; }, 2000);
    EXPECT_TRUE(main().CaptureBusy);
}

TEST_F(MainWindowTest, MinimisingGoesToTheTaskbarButtonAndRestoringBringsTheWindowBack) {
    HWND app = Application::Get().Handle();
    SendMessageA(main().Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    kelpix::test::Pump(100);
    EXPECT_TRUE(IsIconic(app));
    EXPECT_FALSE(main().Visible());
    SendMessageA(app, WM_SYSCOMMAND, SC_RESTORE, 0);
    kelpix::test::Pump(100);
    EXPECT_FALSE(IsIconic(app));
    EXPECT_TRUE(main().Visible());
}
