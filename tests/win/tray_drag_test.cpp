// The notification-area icon's clicks, its menu, and a target drag that starts on the icon and is
// followed through the hook library (faked here, so the reports are sent by the test).
#include "tray_fixture.h"

#include "kelpix_hook.h"
#include "main/platform.h"
#include "main/texts.h"

#include <optional>
#include <thread>

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);

// Stands in for the hook library's two exports while it lives. An install records the window handle
// the shared block holds at that moment. The primary button is held, unless `buttonUp` says otherwise.
class FakeHookLibrary {
public:
    explicit FakeHookLibrary(LONG installResult) {
        saved_ = Platform();
        state() = State{};
        state().result = installResult;
        Platform().installHook = &Install;
        Platform().uninstallHook = &Uninstall;
        Platform().getAsyncKeyState = &KeyState;
    }
    ~FakeHookLibrary() {
        Platform().installHook = saved_.installHook;
        Platform().uninstallHook = saved_.uninstallHook;
        Platform().getAsyncKeyState = saved_.getAsyncKeyState;
        buttonUp = false;
    }
    static inline bool buttonUp = false;
    int Installs() const { return state().installs; }
    int Uninstalls() const { return state().uninstalls; }
    LONG InstallArgument() const { return state().argument; }
    // The handle in bytes 0 to 3 of "KelpixWnd" at the last install; none when the block was missing.
    std::optional<DWORD> Published() const { return state().published; }

private:
    struct State {
        LONG result = 0;
        int installs = 0, uninstalls = 0;
        LONG argument = -1;
        std::optional<DWORD> published;
    };
    static State& state() {
        static State s;
        return s;
    }
    static LONG WINAPI Install(LONG argument) {
        State& s = state();
        ++s.installs;
        s.argument = argument;
        s.published.reset();
        KernelHandle block(OpenFileMappingA(FILE_MAP_READ, FALSE, kHookBlockName));
        MappedView view(block ? MapViewOfFile(block.get(), FILE_MAP_READ, 0, 0, kHookBlockSize) : nullptr);
        if (view) s.published = *static_cast<const DWORD*>(view.get());
        return s.result;
    }
    static SHORT WINAPI KeyState(int key) { return key == VK_LBUTTON && !buttonUp ? SHORT(-32768) : SHORT(0); }
    static LONG WINAPI Uninstall() {
        ++state().uninstalls;
        return 1;
    }

    PlatformCalls saved_;
};

class TrayDragTest : public TrayTest {
protected:
    void Notify(UINT mouseMessage) { SendMessageA(tray().Handle(), WM_TRAYNOTIFY, kTrayIconId, mouseMessage); }
    void HookReport(UINT wParam) { SendMessageA(main().Handle(), WM_HOOKMOUSE, wParam, 0); }
    bool Dragging() { return main().TrackState != -1; }
    DWORD MainHandle() { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(main().Handle())); }

    // Opens the tray menu with a right press. A thread watches for it, records its window and
    // closes it with Escape; after a second without a menu it gives up.
    std::optional<RECT> RightPressMenu() {
        std::optional<RECT> menu;
        std::thread watcher([&] {
            for (int i = 0; i < 50; ++i, Sleep(20)) {
                HWND popup = FindWindowA("#32768", nullptr);
                if (!popup || !IsWindowVisible(popup)) continue;
                RECT r{};
                GetWindowRect(popup, &r);
                menu = r;
                PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
                return;
            }
        });
        Notify(WM_RBUTTONDOWN);
        watcher.join();
        Pump(50);
        return menu;
    }
    // Shown as far as the control itself goes, while its window may be hidden.
    static bool Shown(const Window& control) { return GetWindowLongA(control.Handle(), GWL_STYLE) & WS_VISIBLE; }
};

std::string MenuText(HMENU menu, int position) {
    char text[64] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

} // namespace

TEST_F(TrayDragTest, PressThenMovePublishesTheHandleAndTheReportsCaptureTheWindowUnderThePointer) {
    FakeHookLibrary hook(1);
    ColourWindow target(RECT{600, 500, 700, 560}, kOrange);
    main().StoreInTray();

    Notify(WM_LBUTTONDOWN);
    EXPECT_TRUE(tray().LeftPressed());
    EXPECT_TRUE(tray().DragTimer.Running());
    Notify(WM_MOUSEMOVE);
    EXPECT_EQ(hook.Installs(), 1);
    EXPECT_EQ(hook.InstallArgument(), 0);
    EXPECT_EQ(hook.Published(), MainHandle());
    EXPECT_EQ(main().TrackState, 0);
    EXPECT_EQ(Application::Get().ScreenCursor(), 6);
    EXPECT_FALSE(Shown(*main().Image4));
    EXPECT_FALSE(tray().LeftPressed());
    EXPECT_FALSE(tray().DragTimer.Running());

    // While the drag runs the icon's reports change nothing: no menu, no restore, no second drag.
    EXPECT_FALSE(RightPressMenu());
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_MOUSEMOVE})
        Notify(m);
    EXPECT_FALSE(tray().LeftPressed());
    EXPECT_FALSE(tray().DoubleClicked());
    EXPECT_TRUE(main().InTray);
    EXPECT_EQ(hook.Installs(), 1);

    // A move report takes the pointer from the system, not from the message.
    SetCursorPos(650, 530);
    HookReport(WM_MOUSEMOVE);
    EXPECT_EQ(main().TargetWindow, target.Handle());
    HookReport(WM_LBUTTONUP);
    EXPECT_EQ(hook.Uninstalls(), 1);
    EXPECT_FALSE(Dragging());
    EXPECT_TRUE(main().CaptureBusy);
    EXPECT_EQ(Application::Get().ScreenCursor(), 0);
    EXPECT_TRUE(Shown(*main().Image4));
    EXPECT_FALSE(main().Visible()) << "the program stays in the notification area";
    Pixels clip = ReadClipboardBitmap();
    EXPECT_EQ(clip.width, 100);
    EXPECT_EQ(clip.height, 60);
    EXPECT_TRUE(AllPixels(clip, Rgb(kOrange)));

    // The block stays with the same content for the next drag.
    ASSERT_TRUE(PumpUntil([&] { return !main().CaptureBusy; }));
    Notify(WM_LBUTTONDOWN);
    Notify(WM_MOUSEMOVE);
    EXPECT_EQ(hook.Installs(), 2);
    EXPECT_EQ(hook.Published(), MainHandle());
    main().CancelTargetDrag();
}

TEST_F(TrayDragTest, FailedInstallSaysSoAndEndsTheDragWithoutACapture) {
    FakeHookLibrary hook(0);
    main().StoreInTray();
    {
        ClipboardSession clipboard(main().Handle());
        ASSERT_TRUE(clipboard.IsOpen());
        EmptyClipboard();
    }
    MessageBoxAnswerer answer;
    Notify(WM_LBUTTONDOWN);
    Notify(WM_MOUSEMOVE);
    ASSERT_TRUE(answer.Seen());
    EXPECT_EQ(answer.Text(), texts::kHookInstallFailed);
    EXPECT_EQ(answer.Caption(), Application::Get().Title());
    EXPECT_EQ(hook.Installs(), 1);
    EXPECT_FALSE(Dragging());
    EXPECT_EQ(main().TargetWindow, nullptr);
    EXPECT_EQ(Application::Get().ScreenCursor(), 0);
    EXPECT_TRUE(Shown(*main().Image4));
    EXPECT_FALSE(main().CaptureBusy);
    int formats = -1;
    ReadClipboardBitmap(&formats);
    EXPECT_EQ(formats, 0) << "something was captured";

    // The icon answers again: a double click restores the main window.
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        Notify(m);
    EXPECT_FALSE(main().InTray);
    EXPECT_TRUE(main().Visible());
}

TEST_F(TrayDragTest, WithoutAReportOfTheReleaseTheDragEndsWithoutACapture) {
    FakeHookLibrary hook(1);
    main().StoreInTray();
    main().OptionSettings.TimeCapture = true; // a capture would leave the countdown running
    // The button up before the drag could start; the release reported over the icon; the button
    // found up by the periodic check; with swapped buttons the left one is not the primary one.
    for (int way = 0; way < 4; ++way) {
        SwapMouseButton(way == 3);
        FakeHookLibrary::buttonUp = way == 0;
        Notify(WM_LBUTTONDOWN);
        Notify(WM_MOUSEMOVE);
        EXPECT_EQ(Dragging(), way == 1 || way == 2) << way;
        if (way == 1) Notify(WM_LBUTTONUP);
        FakeHookLibrary::buttonUp = true;
        EXPECT_TRUE(PumpUntil([&] { return !Dragging(); }, 1000)) << way;
        EXPECT_EQ(hook.Installs(), hook.Uninstalls());
        EXPECT_FALSE(main().CaptureBusy || main().TimeCaptureTimer.Enabled() || main().Visible()) << way;
    }
    SwapMouseButton(FALSE);
    EXPECT_EQ(hook.Installs(), 2);
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) // the icon answers again
        Notify(m);
    EXPECT_TRUE(main().Visible());
}

TEST_F(TrayDragTest, HookReportsAreIgnoredWhileBusyForOtherMessagesAndWithoutADrag) {
    FakeHookLibrary hook(1);
    ColourWindow target(RECT{600, 500, 700, 560}, kOrange);
    SetCursorPos(650, 530);

    // No drag: a stray release captures nothing (the window stays, the clipboard keeps its content).
    HookReport(WM_MOUSEMOVE);
    HookReport(WM_LBUTTONUP);
    EXPECT_FALSE(main().CaptureBusy);
    EXPECT_TRUE(main().Visible());
    EXPECT_EQ(main().TargetWindow, nullptr);
    const int uninstalls = hook.Uninstalls();

    main().BeginTargetDrag();
    for (UINT other : {UINT{WM_LBUTTONDOWN}, UINT{WM_RBUTTONUP}, UINT{WM_MOUSEWHEEL}, UINT{WM_NCMOUSEMOVE}, 0u})
        HookReport(other);
    EXPECT_EQ(main().TargetWindow, nullptr);
    EXPECT_TRUE(Dragging());
    EXPECT_EQ(hook.Uninstalls(), uninstalls);

    main().CaptureBusy = true;
    HookReport(WM_MOUSEMOVE);
    HookReport(WM_LBUTTONUP);
    EXPECT_EQ(main().TargetWindow, nullptr);
    EXPECT_TRUE(Dragging());
    EXPECT_EQ(hook.Uninstalls(), uninstalls);
    EXPECT_TRUE(main().Visible());

    main().CaptureBusy = false;
    HookReport(WM_MOUSEMOVE);
    EXPECT_EQ(main().TargetWindow, target.Handle());
    main().CancelTargetDrag();
}

TEST_F(TrayDragTest, DoubleClickRestoresOnTheSecondReleaseUnlessAMoveCameBetween) {
    FakeHookLibrary hook(1);
    main().StoreInTray();
    // A move before the second release forgets the double click.
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE, WM_LBUTTONUP})
        Notify(m);
    EXPECT_TRUE(main().InTray);
    EXPECT_EQ(hook.Installs(), 0);

    Notify(WM_LBUTTONDOWN);
    Notify(WM_LBUTTONUP);
    EXPECT_TRUE(main().InTray);
    Notify(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(tray().DoubleClicked());
    Notify(WM_LBUTTONDOWN); // ignored while the release is awaited
    EXPECT_FALSE(tray().LeftPressed());
    Notify(WM_LBUTTONUP);
    EXPECT_FALSE(main().InTray);
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(IsWindowVisible(Application::Get().Handle()));
    EXPECT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_DELETE}));
    EXPECT_EQ(hook.Installs(), 0);
}

TEST_F(TrayDragTest, PressHeldPastTheDragTimerStartsNoDrag) {
    FakeHookLibrary hook(1);
    main().StoreInTray();
    Notify(WM_LBUTTONDOWN);
    ASSERT_TRUE(PumpUntil([&] { return !tray().LeftPressed(); }, 5000));
    EXPECT_FALSE(tray().DragTimer.Running());
    Notify(WM_MOUSEMOVE);
    EXPECT_FALSE(Dragging());
    EXPECT_EQ(hook.Installs(), 0);
}

TEST_F(TrayDragTest, DuringACountdownAPressCancelsItAndADoubleClickRestoresNothing) {
    FakeHookLibrary hook(1);
    main().StoreInTray();
    main().OptionSettings.TimeCapture = true;
    main().OptionSettings.Time = 30;
    for (UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        SCOPED_TRACE(press);
        main().TargetWindow = main().Handle();
        main().BeginBusy();
        main().StartCapture();
        ASSERT_TRUE(main().TimeCaptureTimer.Enabled());
        Notify(press);
        EXPECT_FALSE(main().TimeCaptureTimer.Enabled()) << "the countdown goes on";
        EXPECT_FALSE(tray().LeftPressed());
        EXPECT_TRUE(main().InTray);
        // Until the cooldown ends, the rest of a double click changes nothing.
        for (UINT m : {WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            Notify(m);
        EXPECT_TRUE(main().InTray);
        EXPECT_FALSE(tray().DoubleClicked());
        ASSERT_TRUE(PumpUntil([&] { return !main().CaptureBusy; }));
    }
    EXPECT_EQ(hook.Installs(), 0);
}

TEST_F(TrayDragTest, RightPressShowsTheMenuAtThePointerAndItsItemsAct) {
    main().StoreInTray();
    ASSERT_EQ(GetMenuItemCount(tray().PopupMenu1), 4);
    EXPECT_EQ(MenuText(tray().PopupMenu1, 0), texts::kTrayMenuShow);
    EXPECT_EQ(MenuText(tray().PopupMenu1, 1), texts::kMenuOptions);
    EXPECT_TRUE(GetMenuState(tray().PopupMenu1, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(MenuText(tray().PopupMenu1, 3), texts::kMenuExit);

    // Even with a left press pending; the timer still clears it later.
    Notify(WM_LBUTTONDOWN);
    SetCursorPos(300, 200);
    std::optional<RECT> menu = RightPressMenu();
    ASSERT_TRUE(menu) << "no menu";
    EXPECT_EQ(menu->left, 300);
    EXPECT_EQ(menu->top, 200);
    EXPECT_TRUE(PumpUntil([&] { return !tray().LeftPressed(); }, 5000));

    // Show Kelpix: the icon goes and the window comes back.
    SendMessageA(tray().Handle(), WM_COMMAND, ID_TRAY_N2, 0);
    EXPECT_FALSE(main().InTray);
    EXPECT_TRUE(main().Visible());
    EXPECT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_DELETE}));

    // Exit: the icon goes and the program ends, whatever CloseTask says.
    main().OptionSettings.CloseTask = true;
    main().StoreInTray();
    SendMessageA(tray().Handle(), WM_COMMAND, ID_TRAY_N3, 0);
    EXPECT_EQ(shell.Messages(), (Messages{NIM_ADD, NIM_DELETE, NIM_ADD, NIM_DELETE}));
    EXPECT_TRUE(Application::Get().Terminated());
}

TEST_F(TrayDragTest, ClosingWithoutADragRemovesTheHookOnce) {
    FakeHookLibrary hook(1);
    DestroyForms();
    EXPECT_EQ(hook.Uninstalls(), 1);
    EXPECT_EQ(hook.Installs(), 0);
    CreateForms();
}
