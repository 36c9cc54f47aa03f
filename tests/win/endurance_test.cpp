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
        // No pause before each grab, so that many fit in the test's time; the sequence is otherwise
        // the program's own.
        main().RepaintWait = 0;
        // The cursor is drawn into every image: its icon information is read each time.
        main().SpeedButton2->SetDown(true);
    }

    // An own-area capture: the button's command with its cooldown run out at once.
    void OwnAreaCapture() {
        main().N10Click();
        main().Timer1Timer();
    }

    // A drag from the target icon over A and B, released over `release`.
    void DragCapture(HWND a, HWND b, const RECT& release) {
        HWND panel = main().Panel1->Handle();
        POINT icon{4, 4};
        SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(icon.x, icon.y));
        SendMessageA(panel, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(panel, Centre(kWindowA)));
        EXPECT_EQ(main().TargetWindow, a);
        SendMessageA(panel, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(panel, Centre(kWindowB)));
        EXPECT_EQ(main().TargetWindow, b);
        SendMessageA(panel, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(panel, Centre(release)));
        SendMessageA(panel, WM_LBUTTONUP, 0, ClientPoint(panel, Centre(release)));
        main().Timer1Timer();
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
    ASSERT_GT(before.windows, 0);
    ASSERT_GT(before.menus, 0) << "the main window's menus must be found";

    RECT r{};
    GetWindowRect(main().Handle(), &r);
    for (int i = 0; i < 1000; ++i) {
        OwnAreaCapture();
        if (i % 100 == 0) Pump(0);
        ASSERT_FALSE(main().CaptureBusy) << "capture " << i;
        ASSERT_EQ(main().Image1->BitmapSize().cx, r.right - r.left) << "capture " << i;
    }
    Pump(50);
    ExpectFlat(before, CountGuiObjects());
    EXPECT_TRUE(main().Visible());
    EXPECT_EQ(ReadClipboardBitmap().data, ReadBitmap(main().Image1->BitmapHandle()).data);
}

TEST_F(EnduranceTest, TwoHundredDragCapturesKeepTheObjectCountsFlat) {
    ColourWindow a(kWindowA, kTeal), b(kWindowB, kOrange);
    Pump(150);
    for (int i = 0; i < 3; ++i)
        DragCapture(a.Handle(), b.Handle(), kWindowB);
    Pump(50);
    const GuiObjects before = CountGuiObjects();

    for (int i = 0; i < 200; ++i) {
        const bool overA = i % 2 == 0;
        DragCapture(a.Handle(), b.Handle(), overA ? kWindowA : kWindowB);
        if (i % 20 == 0) Pump(0);
        ASSERT_EQ(main().TrackState, -1) << "drag " << i;
        Pixels image = ReadBitmap(main().Image1->BitmapHandle());
        const RECT& expected = overA ? kWindowA : kWindowB;
        ASSERT_EQ(image.width, expected.right - expected.left) << "drag " << i;
        ASSERT_EQ(image.height, expected.bottom - expected.top) << "drag " << i;
    }
    Pump(50);
    ExpectFlat(before, CountGuiObjects());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(main().Image4->Visible());
}

TEST(GuiObjectCount, SeesObjectsComeAndGo) {
    // The system's shared icon is loaded once and kept: load it before counting.
    HICON shared = LoadIconA(nullptr, IDI_APPLICATION);
    const GuiObjects before = CountGuiObjects();
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    const GuiObjects gdi = CountGuiObjects();
    EXPECT_EQ(gdi.gdi - before.gdi, 2) << Describe(before) << " / " << Describe(gdi);
    EXPECT_EQ(gdi.user, before.user) << Describe(before) << " / " << Describe(gdi);

    HMENU menu = CreateMenu();
    HICON icon = CopyIcon(shared);
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, window, nullptr, nullptr, nullptr);
    const GuiObjects user = CountGuiObjects();
    EXPECT_EQ(user.windows - gdi.windows, 2) << Describe(gdi) << " / " << Describe(user);
    EXPECT_EQ(user.menus - gdi.menus, 1) << Describe(gdi) << " / " << Describe(user);
    EXPECT_EQ(user.icons - gdi.icons, 1) << Describe(gdi) << " / " << Describe(user);

    DestroyWindow(window);
    DestroyIcon(icon);
    DestroyMenu(menu);
    DeleteDC(memory);
    DeleteObject(bitmap);
    const GuiObjects after = CountGuiObjects();
    EXPECT_LE(after.gdi, gdi.gdi - 2) << Describe(gdi) << " / " << Describe(after);
    EXPECT_EQ(after.user, before.user) << Describe(before) << " / " << Describe(after);
}

TEST_F(EnduranceTest, TwoHundredDelayedCapturesLeaveNoCountdownIconBehind) {
    NotifyIconRecorder shell;
    main().OptionSettings.TimeCapture = true;
    main().OptionSettings.Time = 5;
    GuiObjects before;
    for (int i = 0; i < 203; ++i) {
        if (i == 3) before = CountGuiObjects();
        main().N10Click(); // the first tick shows 5; the ticks below 4 to 1, then the grab
        while (main().TimeCaptureTimer.Enabled())
            main().TimeCaptureTimerTimer();
        main().Timer1Timer();
    }
    ExpectFlat(before, CountGuiObjects());
    EXPECT_EQ(shell.Calls().size(), 203u * 6) << "an add, four changes and a removal each";
}
