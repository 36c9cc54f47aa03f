#include "main_window_fixture.h"
#include "test_support.h"

#include "main/texts.h"

using namespace kelpix;
using namespace kelpix::test;

namespace {

constexpr COLORREF kTeal = RGB(0x20, 0x80, 0xC0);

RECT WindowRectOf(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

bool Checked(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

// Types a key with modifiers through the system's input queue and lets the program's loop (which
// translates the shortcuts) handle what arrives.
void TypeShortcut(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD key : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
        in.push_back(i);
    }
    for (auto key = keys.end(); key != keys.begin();) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = *--key;
        i.ki.dwFlags = KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// A window that looks like the help viewer to FindWindow.
class FakeHelpViewer {
public:
    explicit FakeHelpViewer(const char* title) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = DefWindowProcA;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "HH Parent";
            registered = RegisterClassA(&wc) != 0;
        }
        wnd_ = CreateWindowExA(0, "HH Parent", title, WS_OVERLAPPEDWINDOW, 600, 300, 300, 200, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    ~FakeHelpViewer() { DestroyWindow(wnd_); }
    HWND Handle() const { return wnd_; }

private:
    HWND wnd_;
};

bool HelpFileBesideTheProgram() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string file = path;
    file = file.substr(0, file.find_last_of('\\') + 1) + "help.chm";
    return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

using ViewCommandsTest = MainWindowTest;

} // namespace

TEST_F(ViewCommandsTest, DefaultSizeComesBackFromAnySizeAndThePositionStays) {
    // Larger, then so narrow that the menu bar wraps onto more lines, from either menu.
    for (auto [width, height, command] : {std::tuple{520, 400, ID_MENUDEFAULT}, std::tuple{140, 300, ID_POPDEFAULT}}) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        SetWindowPos(main().Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        ASSERT_NE(main().ClientSize().cx, 294);
        main().ExecuteCommand(command);
        SIZE client = main().ClientSize();
        EXPECT_EQ(client.cx, 294);
        EXPECT_EQ(client.cy, 126);
        RECT r = WindowRectOf(main().Handle());
        EXPECT_EQ(r.left, 248);
        EXPECT_EQ(r.top, 127);
    }
}

TEST_F(ViewCommandsTest, TakesTheBoundsOfWhatLiesUnderItsCornerControlsIncluded) {
    ColourWindow below({200, 100, 700, 520}, kTeal);
    SetWindowPos(main().Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Pump(100);
    main().ExecuteCommand(ID_MEMUTYOKKA);
    RECT r = WindowRectOf(main().Handle());
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right, 700);
    EXPECT_EQ(r.bottom, 520);
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(IsWindowVisible(Application::Get().Handle()));

    // Now a control of the window below lies under the corner: its bounds, not its window's.
    HWND control = CreateWindowExA(0, "BUTTON", "ok", WS_CHILD | WS_VISIBLE, 0, 0, 260, 180, below.Handle(), nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(control, nullptr);
    Pump(50);
    main().ExecuteCommand(ID_POPTYOKKA);
    r = WindowRectOf(main().Handle());
    RECT expected = WindowRectOf(control);
    EXPECT_EQ(r.left, expected.left);
    EXPECT_EQ(r.top, expected.top);
    EXPECT_EQ(r.right - r.left, 260);
    EXPECT_EQ(r.bottom - r.top, 180);
    EXPECT_TRUE(main().Visible());
    DestroyWindow(control);
}

TEST_F(ViewCommandsTest, TranslucencyGoesOnAndOffWithBothCheckMarks) {
    HMENU menu = main().MainMenu1, popup = main().PopupMenu1;
    EXPECT_FALSE(Checked(menu, ID_N7));
    EXPECT_FALSE(Checked(popup, ID_N8));

    main().ExecuteCommand(ID_N7);
    EXPECT_TRUE(Checked(menu, ID_N7));
    EXPECT_TRUE(Checked(popup, ID_N8));
    EXPECT_TRUE(GetWindowLongA(main().Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(main().Handle(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 178);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));

    // Off again from the context menu's item.
    main().ExecuteCommand(ID_N8);
    EXPECT_FALSE(Checked(menu, ID_N7));
    EXPECT_FALSE(Checked(popup, ID_N8));
    EXPECT_FALSE(GetWindowLongA(main().Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(main().Visible());
}

TEST_F(ViewCommandsTest, ShortcutsReachTheCommands) {
    SetForegroundWindow(main().Handle());
    SetFocus(main().Handle());
    Pump(50);
    TypeShortcut({VK_CONTROL, 'H'});
    EXPECT_TRUE(PumpUntil([&] {
        Application::Get().ProcessMessages();
        return Checked(main().MainMenu1, ID_N7);
    })) << "Ctrl+H";
    SetWindowPos(main().Handle(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    TypeShortcut({VK_CONTROL, 'D'});
    EXPECT_TRUE(PumpUntil([&] {
        Application::Get().ProcessMessages();
        return main().ClientSize().cy == 126;
    })) << "Ctrl+D";
    // F1 looks for the help file, which is not beside the test program.
    MessageBoxAnswerer answer;
    MSG f1{main().Handle(), WM_KEYDOWN, VK_F1, 0, 0, {0, 0}};
    EXPECT_TRUE(main().PreTranslateMessage(f1));
    EXPECT_TRUE(PumpUntil([&] { return answer.Seen(); }));
}

TEST_F(ViewCommandsTest, HelpWithoutTheFileSaysSoWhileTheProgramWaits) {
    ASSERT_FALSE(HelpFileBesideTheProgram());
    // A viewer window with another title is not the program's help.
    FakeHelpViewer other("Other help");
    HWND mainWindow = main().Handle();
    std::atomic<bool> enabledMeanwhile{true};
    MessageBoxAnswerer answer(IDOK, [&](HWND) { enabledMeanwhile = IsWindowEnabled(mainWindow) != FALSE; });
    main().ExecuteCommand(ID_README1);
    ASSERT_TRUE(answer.Seen());
    EXPECT_EQ(answer.Text(), texts::kHelpMissing);
    EXPECT_EQ(answer.Caption(), texts::kHelpMissingCaption);
    EXPECT_EQ(answer.Caption(), "\x8A\x6D\x94\x46");  // 確認 in Shift-JIS
    EXPECT_FALSE(enabledMeanwhile) << "the main window took input while the box was up";
    EXPECT_TRUE(IsWindowEnabled(mainWindow));
    EXPECT_FALSE(IsWindowVisible(other.Handle()));
}

TEST_F(ViewCommandsTest, HelpBringsUpTheViewerThatIsAlreadyOpen) {
    FakeHelpViewer viewer("Kelpix");
    ShowWindow(viewer.Handle(), SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(viewer.Handle()));
    MessageBoxAnswerer answer;
    main().ExecuteCommand(ID_README1);
    Pump(200);
    EXPECT_FALSE(answer.Seen()) << "the help file was looked for although the viewer is open";
    EXPECT_TRUE(IsWindowVisible(viewer.Handle()));
    EXPECT_FALSE(IsIconic(viewer.Handle()));
}
