// A target drag that starts on the notification-area icon: the shell's reports start it, the hook
// library's reports follow it. The library and the button state are stood in for here, so the
// reports are sent by the test; hook_test.cpp drives the real library with real input.
#include "tray_fixture.h"

#include "kelpix_hook.h"
#include "services/platform.h"
#include "services/texts.h"
#include "toolkit/error.h"

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);
constexpr RECT kTarget{600, 500, 700, 560};

// Stands in for the hook library's two exports and for the physical buttons' state while it lives.
class FakeHookLibrary {
public:
    explicit FakeHookLibrary(LONG installResult) : saved_(Platform()) {
        result = installResult;
        installs = uninstalls = 0;
        down = VK_LBUTTON;
        Platform().installHook = &Install;
        Platform().uninstallHook = &Uninstall;
        Platform().getAsyncKeyState = &KeyState;
    }
    ~FakeHookLibrary() { Platform() = saved_; }
    static inline LONG result = 0;
    static inline int installs = 0, uninstalls = 0;
    static inline int down = 0; // the physical button held down, 0 for none

private:
    static LONG WINAPI Install(LONG) { return ++installs, result; }
    static LONG WINAPI Uninstall() { return ++uninstalls, 1; }
    static SHORT WINAPI KeyState(int key) { return key == down ? SHORT(-32768) : SHORT(0); }
    PlatformCalls saved_;
};

class TrayDragTest : public TrayTest {
protected:
    void SetUp() override {
        TrayTest::SetUp();
        Run(core::Command::StoreInTray);
    }
    void HookReport(UINT wParam) { SendMessageA(main().Handle(), WM_HOOKMOUSE, wParam, 0); }
    bool Dragging() { return session().dragging(); }
    // Shown as far as the control itself goes, while its window is hidden.
    static bool Shown(const Window& control) { return GetWindowLongA(control.Handle(), GWL_STYLE) & WS_VISIBLE; }
    void PressAndMoveOnTheIcon() {
        Notify(WM_LBUTTONDOWN);
        Notify(WM_MOUSEMOVE);
    }
};

} // namespace

TEST_F(TrayDragTest, PressAndMoveOnTheIconStartADragThatTheHookReportsFollowToACapture) {
    FakeHookLibrary hook(1);
    ColourWindow target(kTarget, kOrange);
    PressAndMoveOnTheIcon();
    ASSERT_TRUE(Dragging());
    EXPECT_EQ(hook.installs, 1);
    EXPECT_EQ(Application::Get().ScreenCursor(), main().TargetIcon().IconHandle()) << "the target icon is the pointer";
    EXPECT_FALSE(Shown(main().TargetIcon()));

    // A move report takes the pointer from the system, not from the message.
    SetCursorPos(Centre(kTarget).x, Centre(kTarget).y);
    HookReport(WM_MOUSEMOVE);
    EXPECT_EQ(session().target(), IdOf(target.Handle()));
    HookReport(WM_LBUTTONUP);
    EXPECT_FALSE(Dragging());
    EXPECT_EQ(hook.uninstalls, 1);
    EXPECT_EQ(Application::Get().ScreenCursor(), nullptr);
    EXPECT_TRUE(Shown(main().TargetIcon()));
    ASSERT_TRUE(PumpUntil([&] { return main().LastImage() != nullptr; })) << "no capture";
    const Pixels clip = ReadClipboardBitmap();
    EXPECT_EQ(clip.width, kTarget.right - kTarget.left);
    EXPECT_EQ(clip.height, kTarget.bottom - kTarget.top);
    EXPECT_TRUE(AllPixels(clip, Rgb(kOrange)));
    EXPECT_FALSE(main().Visible()) << "the program stays in the notification area";
}

TEST_F(TrayDragTest, OnlyThePrimaryButtonHeldStartsADrag) {
    FakeHookLibrary hook(1);
    const struct {
        const char* name;
        int held;
        bool swapped;
        bool drags;
    } rows[] = {{"left held", VK_LBUTTON, false, true},
                {"left held, buttons swapped", VK_LBUTTON, true, false},
                {"right held, buttons swapped", VK_RBUTTON, true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SwapMouseButton(row.swapped);
        FakeHookLibrary::down = row.held;
        PressAndMoveOnTheIcon();
        SwapMouseButton(FALSE);
        EXPECT_EQ(Dragging(), row.drags);
        Notify(WM_LBUTTONUP); // a release over the icon ends the drag
        EXPECT_FALSE(Dragging());
    }
    EXPECT_EQ(hook.installs, 2);
    EXPECT_EQ(hook.uninstalls, 2);
}

// No report of the release will come: the library refused the hook (the user is told), or the
// button came up unseen (the drag watch finds it up on two of its real timer's ticks).
TEST_F(TrayDragTest, ADragWhoseReleaseCannotBeReportedEndsWithoutACapture) {
    for (bool refused : {true, false}) {
        SCOPED_TRACE(refused ? "install refused" : "no release reported");
        FakeHookLibrary hook(refused ? 0 : 1);
        MessageBoxAnswerer answer;
        PressAndMoveOnTheIcon();
        EXPECT_EQ(hook.installs, 1);
        if (refused) {
            EXPECT_EQ(answer.Text(), Utf8(Texts().hookInstallFailed));
            EXPECT_EQ(answer.Caption(), Utf8(Application::Get().Title()));
        } else {
            ASSERT_TRUE(Dragging());
            FakeHookLibrary::down = 0;
        }
        EXPECT_TRUE(PumpUntil([&] { return !Dragging(); }, 2000));
        EXPECT_EQ(hook.uninstalls, refused ? 0 : 1);
        EXPECT_FALSE(program().TimerFor(core::SessionTimer::DragWatch).Enabled());
        EXPECT_EQ(Application::Get().ScreenCursor(), nullptr);
        EXPECT_TRUE(Shown(main().TargetIcon()));
        Pump(core::RowOf(core::SessionTimer::RepaintWait).period_ms + 150);
        EXPECT_FALSE(session().busy());
        EXPECT_EQ(main().LastImage(), nullptr);
        EXPECT_EQ(answer.Seen(), refused);
    }
}

namespace {
SHORT WINAPI EveryKeyDown(int) {
    return SHORT(-32768);
}
} // namespace

// The hook library is loaded at the first drag from the icon; when it cannot be, the drag ends with
// the message of a refused hook, and the program goes on.
TEST_F(TrayDragTest, AHookLibraryThatCannotBeLoadedIsToldAtTheDrag) {
    const PlatformCalls saved = Platform();
    Platform().hookLibrary = L"C:\\nowhere\\KELPIXDLL.DLL";
    Platform().getAsyncKeyState = &EveryKeyDown;
    {
        MessageBoxAnswerer answer;
        PressAndMoveOnTheIcon();
        ASSERT_TRUE(PumpUntil([&] { return answer.Seen(); }));
        EXPECT_EQ(answer.Text(), Utf8(Texts().hookInstallFailed));
    }
    EXPECT_FALSE(Dragging());
    Platform() = saved;
    EXPECT_TRUE(IsWindow(main().Handle()));
}

// The shared block's name is known to every program: one made by another program before Kelpix
// needs it cannot be trusted. Drags from the icon then cannot work, and the user is told once.
TEST_F(TrayDragTest, ASharedBlockThatAnotherProgramMadeIsNotUsedAndThatIsSaidOnce) {
    KernelHandle squatter(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kHookBlockSize, kHookBlockName));
    ASSERT_TRUE(squatter);
    FakeHookLibrary hook(1);
    {
        MessageBoxAnswerer answer;
        PressAndMoveOnTheIcon();
        ASSERT_TRUE(PumpUntil([&] { return answer.Seen(); }));
        EXPECT_EQ(answer.Text(), Utf8(Texts().trayDragsUnavailable));
    }
    PressAndMoveOnTheIcon(); // nothing more is said, and no drag starts
    Pump(100);
    EXPECT_FALSE(Dragging());
    EXPECT_EQ(hook.installs, 0) << "the hook was installed without its block";
}
