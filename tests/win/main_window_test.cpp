// The main window: its caption, keyboard focus, minimising, the view commands and the context menu.
#include "main_window_fixture.h"
#include "settings_fixture.h"
#include "test_support.h"

#include "services/texts.h"

using namespace kelpix;
using namespace kelpix::test;

namespace {

RECT WindowRectOf(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

bool Checked(HMENU menu, core::Command command) {
    return (GetMenuState(menu, MenuId(command), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

bool Layered(HWND wnd) {
    return (GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

} // namespace

TEST_F(MainWindowTest, TheCaptionShowsMajorAndMinorOfTheFileVersion) {
    EXPECT_EQ(main().Text(), L"Kelpix [ver 1.0]"); // the project's version, 1.0.0.0
    HMODULE version113 = LoadLibraryA("version_113.dll");
    ASSERT_NE(version113, nullptr);
    EXPECT_EQ(MainWindow::VersionText(version113), L"1.13");
    FreeLibrary(version113);
    // The hook library has no version record.
    HMODULE hook = LoadLibraryA("KELPIXDLL.DLL");
    ASSERT_NE(hook, nullptr);
    EXPECT_EQ(MainWindow::VersionText(hook), Texts().versionUnknown);
    FreeLibrary(hook);
}

TEST_F(MainWindowTest, TabGoesThroughImageBoxTargetAndArrowsAndAClickedToggleTakesNoFocus) {
    HWND at = main().DelayArrows();
    for (HWND next : {main().ImageBox().Handle(), main().TargetPanel().Handle(), main().DelayArrows()}) {
        at = GetNextDlgTabItem(main().Handle(), at, FALSE);
        EXPECT_EQ(at, next);
    }
    SetFocus(main().ImageBox().Handle());
    ClickControl(main().CursorButton().Handle());
    EXPECT_TRUE(main().CursorButton().Down());
    EXPECT_EQ(GetFocus(), main().ImageBox().Handle());
}

TEST_F(MainWindowTest, MinimisingGoesToTheTaskbarButtonAndRestoringItBringsTheWindowBack) {
    HWND app = Application::Get().Handle();
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(app, WM_GETICON, ICON_BIG, 0)), Application::Get().Icon());
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(app, WM_GETICON, ICON_SMALL, 0)), Application::Get().SmallIcon());
    SendMessageA(main().Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump(100);
    EXPECT_TRUE(IsIconic(app));
    EXPECT_FALSE(main().Visible());
    SendMessageA(app, WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump(100);
    EXPECT_FALSE(IsIconic(app));
    EXPECT_TRUE(main().Visible());
}

TEST_F(MainWindowTest, DefaultSizeComesBackFromAnySizeAndThePositionStays) {
    const SIZE start = main().ClientSize();
    const RECT placed = WindowRectOf(main().Handle());
    // Larger, then so narrow that the menu bar wraps onto more lines.
    for (SIZE size : {SIZE{520, 400}, SIZE{140, 300}}) {
        SCOPED_TRACE(size.cx);
        SetWindowPos(main().Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        Run(core::Command::DefaultSize);
        EXPECT_EQ(main().ClientSize().cx, start.cx);
        EXPECT_EQ(main().ClientSize().cy, start.cy);
        RECT r = WindowRectOf(main().Handle());
        EXPECT_EQ(r.left, placed.left);
        EXPECT_EQ(r.top, placed.top);
    }
}

TEST_F(MainWindowTest, FitToWindowBelowTakesTheBoundsOfWhatLiesUnderItsCornerControlsIncluded) {
    const RECT belowRect{200, 100, 700, 520};
    ColourWindow below(belowRect, RGB(0x20, 0x80, 0xC0));
    SetWindowPos(main().Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(100);
    Run(core::Command::FitToWindowBelow);
    RECT r = WindowRectOf(main().Handle());
    EXPECT_TRUE(EqualRect(&r, &belowRect)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(IsWindowVisible(Application::Get().Handle()));

    // Now a control of the window below lies under the corner: its bounds, not its window's.
    HWND control = CreateWindowExA(0, "BUTTON", "ok", WS_CHILD | WS_VISIBLE, 0, 0, 260, 180, below.Handle(), nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    Pump(50);
    Run(core::Command::FitToWindowBelow);
    r = WindowRectOf(main().Handle());
    RECT expected = WindowRectOf(control);
    EXPECT_TRUE(EqualRect(&r, &expected)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    DestroyWindow(control);
}

TEST_F(MainWindowTest, TranslucentGoesOnWithBothCheckMarksAndOffWithItsShortcut) {
    Run(core::Command::Translucent);
    EXPECT_TRUE(Checked(main().MenuBar(), core::Command::Translucent));
    EXPECT_TRUE(Checked(main().ContextMenu(), core::Command::Translucent));
    ASSERT_TRUE(Layered(main().Handle()));
    BYTE alpha = 255;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(main().Handle(), nullptr, &alpha, &flags));
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    EXPECT_LT(alpha, 255);

    SetForegroundWindow(main().Handle());
    SetFocus(main().Handle());
    Pump(50);
    Type({VK_CONTROL, 'H'});
    EXPECT_TRUE(LoopUntil([&] { return !Layered(main().Handle()); })) << "Ctrl+H";
    EXPECT_FALSE(Checked(main().MenuBar(), core::Command::Translucent));
    EXPECT_FALSE(Checked(main().ContextMenu(), core::Command::Translucent));
    EXPECT_TRUE(main().Visible());
}

TEST_F(MainWindowTest, TheContextMenuFromTheKeyboardOpensAtTheWindowsCornerAndRunsTheChosenCommand) {
    RECT popup{};
    RunFromLoop([&] { // from the menu's own loop
        HWND menu = FindWindowA("#32768", nullptr);
        if (!menu || !IsWindowVisible(menu)) {
            EndMenu();
            return;
        }
        GetWindowRect(menu, &popup);
        // The third item, "半透明にする".
        for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN})
            PostMessageA(menu, WM_KEYDOWN, key, 0);
    });
    SendMessageA(main().Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(main().Handle()), MAKELPARAM(-1, -1));
    EXPECT_TRUE(PumpUntil([&] { return main().Translucent(); }));
    RECT window = WindowRectOf(main().Handle());
    EXPECT_EQ(popup.left, window.left);
    EXPECT_EQ(popup.top, window.top);
}
