// Many captures in a row: the program keeps capturing, and its GDI and USER objects stay as many as
// they were (see CountGuiObjects for how they are counted).
#include "main_window_fixture.h"
#include "test_support.h"

#include <cstdlib>

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kTeal = RGB(0x20, 0x80, 0xC0);
constexpr COLORREF kOrange = RGB(0xF0, 0x90, 0x10);
constexpr RECT kWindowA{100, 420, 340, 600};
constexpr RECT kWindowB{520, 400, 900, 700};

// Objects the system itself may hold for a while on the program's behalf: the clipboard keeps the
// bitmap of the last copy (and Wine a converted copy of it) until the next change.
constexpr int kSlack = 4;

std::string Describe(const GuiObjects& n) {
    return "GDI " + std::to_string(n.gdi) + ", USER " + std::to_string(n.user) + " (windows " +
           std::to_string(n.windows) + ", menus " + std::to_string(n.menus) + ", icons " + std::to_string(n.icons) +
           ")";
}

void ExpectFlat(const GuiObjects& before, const GuiObjects& after) {
    EXPECT_LE(std::abs(after.gdi - before.gdi), kSlack)
        << "before: " << Describe(before) << "\nafter: " << Describe(after);
    EXPECT_LE(std::abs(after.user - before.user), kSlack)
        << "before: " << Describe(before) << "\nafter: " << Describe(after);
}

// A point in a control's client coordinates as a mouse message's lParam.
LPARAM ClientPoint(HWND control, POINT screen) {
    ScreenToClient(control, &screen);
    return MAKELPARAM(static_cast<short>(screen.x), static_cast<short>(screen.y));
}

class EnduranceTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // The cursor is drawn into every image: its icon information is read each time.
        main().CursorButton().Click();
        ASSERT_TRUE(session().settings().draw_cursor);
    }

    // The timer's tick at once, so that many captures fit in the test's time; the sequence is
    // otherwise the program's own.
    void Tick(core::SessionTimer timer) {
        Send(core::TimerFired{timer});
    }

    // The own-area command, its wait for the repaint and its cooldown.
    void OwnAreaCapture() {
        Run(core::Command::CaptureOwnArea);
        Tick(core::SessionTimer::RepaintWait);
        Tick(core::SessionTimer::Cooldown);
    }

    // A drag from the target icon over A and B, released over `release`.
    void DragCapture(HWND a, HWND b, const RECT& release) {
        HWND panel = main().TargetPanel().Handle();
        SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        SendMessageA(panel, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(panel, Centre(kWindowA)));
        EXPECT_EQ(session().target(), IdOf(a));
        SendMessageA(panel, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(panel, Centre(kWindowB)));
        EXPECT_EQ(session().target(), IdOf(b));
        SendMessageA(panel, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(panel, Centre(release)));
        SendMessageA(panel, WM_LBUTTONUP, 0, ClientPoint(panel, Centre(release)));
        Tick(core::SessionTimer::RepaintWait);
        Tick(core::SessionTimer::Cooldown);
    }
};

} // namespace

TEST_F(EnduranceTest, ThousandOwnAreaCapturesKeepTheObjectCountsFlat) {
    SetWindowPos(main().Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(100);
    for (int i = 0; i < 5; ++i)
        OwnAreaCapture();
    Pump(50);
    const GuiObjects before = CountGuiObjects();
    ASSERT_GT(before.gdi, 0);
    ASSERT_GT(before.user, 0);

    RECT r{};
    GetWindowRect(main().Handle(), &r);
    for (int i = 0; i < 1000; ++i) {
        OwnAreaCapture();
        if (i % 100 == 0) Pump(0);
        ASSERT_FALSE(session().busy()) << "capture " << i;
        ASSERT_EQ(main().LastImageSize().cx, r.right - r.left) << "capture " << i;
    }
    Pump(50);
    ExpectFlat(before, CountGuiObjects());
    EXPECT_TRUE(main().Visible());
    EXPECT_EQ(ReadClipboardBitmap().data, ReadBitmap(main().LastImage()).data);
}

TEST_F(EnduranceTest, TwoHundredDragCapturesKeepTheObjectCountsFlat) {
    ColourWindow a(kWindowA, kTeal), b(kWindowB, kOrange);
    Pump(150);
    for (int i = 0; i < 3; ++i)
        DragCapture(a.Handle(), b.Handle(), kWindowB);
    Pump(50);
    const GuiObjects before = CountGuiObjects();

    for (int i = 0; i < 200; ++i) {
        const RECT& over = i % 2 == 0 ? kWindowA : kWindowB;
        DragCapture(a.Handle(), b.Handle(), over);
        if (i % 20 == 0) Pump(0);
        ASSERT_FALSE(session().dragging() || session().busy()) << "drag " << i;
        const SIZE size = main().LastImageSize();
        ASSERT_EQ(size.cx, over.right - over.left) << "drag " << i;
        ASSERT_EQ(size.cy, over.bottom - over.top) << "drag " << i;
    }
    Pump(50);
    ExpectFlat(before, CountGuiObjects());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(main().TargetIcon().Visible());
}

TEST_F(EnduranceTest, TwoHundredDelayedCapturesLeaveNoCountdownIconBehind) {
    NotifyIconRecorder shell;
    main().DelayButton().Click();
    Send(core::DelayChanged{5});
    ASSERT_TRUE(session().settings().delayed_capture);
    GuiObjects before;
    for (int i = 0; i < 203; ++i) {
        if (i == 3) before = CountGuiObjects();
        // 5 at once, 4 to 1 on the ticks, then the grab on the next.
        Run(core::Command::CaptureOwnArea);
        for (int tick = 0; tick < 10 && program().TimerFor(core::SessionTimer::Countdown).Enabled(); ++tick)
            Tick(core::SessionTimer::Countdown);
        Tick(core::SessionTimer::Cooldown);
        ASSERT_FALSE(session().busy()) << "capture " << i;
    }
    ExpectFlat(before, CountGuiObjects());
    EXPECT_EQ(shell.Calls().size(), 203u * 6) << "an add, four changes and a removal each";
    EXPECT_FALSE(tray().IconShown());
}
