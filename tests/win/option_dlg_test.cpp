// The options dialog, run modally from the main window and driven with messages from inside its
// message loop.
#include "settings_fixture.h"
#include "test_support.h"

#include "options/option_dlg.h"
#include "tray/task_form.h"

#include <commctrl.h>

#include <functional>

using namespace kelpix;
using namespace kelpix::test;

namespace {

// The options dialog on the screen, or null.
TOptionDlg* ShownDialog() {
    for (HWND wnd = nullptr; (wnd = FindWindowExA(nullptr, wnd, "TOptionDlg", nullptr)) != nullptr;)
        if (IsWindowVisible(wnd)) return dynamic_cast<TOptionDlg*>(Window::FromHandle(wnd));
    return nullptr;
}

void CALLBACK CloseLeftDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (TOptionDlg* left = ShownDialog(); left && left->ModalResult() == 0) left->Close();
}

// Runs `inside` while the dialog that `open` shows is up. A dialog still open long after is closed
// with its close box, so that a failing test ends.
void WhileDialogUp(const std::function<void(TOptionDlg&)>& inside, const std::function<void()>& open) {
    bool ran = false;
    RunFromLoop([&] {
        TOptionDlg* dialog = ShownDialog();
        ASSERT_NE(dialog, nullptr);
        ran = true;
        inside(*dialog);
    });
    UINT_PTR guard = SetTimer(nullptr, 0, 10000, &CloseLeftDialog);
    open();
    KillTimer(nullptr, guard);
    EXPECT_TRUE(ran) << "the dialog did not come up";
}

void WhileDialogUp(TKelpix& main, const std::function<void(TOptionDlg&)>& inside, WORD command = ID_MEMUOPTION) {
    WhileDialogUp(inside, [&] { SendMessageA(main.Handle(), WM_COMMAND, command, 0); });
}

bool Ticked(HWND box) {
    return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Clicks a check box when it is not in the wanted state.
void Tick(HWND box, bool ticked) {
    if (Ticked(box) != ticked) SendMessageA(box, BM_CLICK, 0, 0);
}

std::string ControlText(HWND control) {
    char text[256] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

void SetControlText(HWND control, const char* text) {
    SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

RECT ScreenRect(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

// Ticks every box, types a delay and presses OK.
void ChangeEverythingAndPressOk(TOptionDlg& d) {
    for (HWND box : {d.chkCloseTask, d.chkKidoTask, d.chkFukugen, d.chkMouseCapture, d.chkTimeCapture})
        Tick(box, true);
    SetControlText(d.editTime, "42");
    SendMessageA(d.Button1, BM_CLICK, 0, 0);
}

} // namespace

TEST(OptionDialog, LaidOutAsDesigned) {
    TOptionDlg d;
    EXPECT_EQ(d.Text(), "環境オプション");
    SIZE client = d.ClientSize();
    EXPECT_EQ(client.cx, 269);
    EXPECT_EQ(client.cy, 206);
    LONG style = GetWindowLongA(d.Handle(), GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    RECT frame = ScreenRect(d.Handle());
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    struct Control {
        HWND wnd;
        HWND box; // positions are relative to this group box, or to the client area
        RECT at;  // left, top, width, height
        const char* text;
    };
    const Control controls[] = {
        {d.GroupBox1, nullptr, {8, 8, 249, 89}, "環境設定"},
        {d.chkCloseTask, d.GroupBox1, {8, 16, 233, 17}, "クローズボタンでタスクトレイに格納する"},
        {d.chkKidoTask, d.GroupBox1, {8, 40, 233, 17}, "起動時にタスクトレイに格納する"},
        {d.chkFukugen, d.GroupBox1, {8, 64, 233, 17}, "起動時に前回の動作設定を復元する"},
        {d.GroupBox2, nullptr, {8, 104, 249, 65}, "動作設定"},
        {d.chkMouseCapture, d.GroupBox2, {8, 16, 233, 17}, "マウスカーソルをキャプチャーする"},
        {d.chkTimeCapture, d.GroupBox2, {8, 40, 129, 17}, "時間差キャプチャー"},
        {d.editTime, d.GroupBox2, {147, 38, 41, 20}, ""},
        {d.Label1, d.GroupBox2, {192, 43, 24, 12}, "秒後"},
        {d.Button1, nullptr, {103, 176, 75, 25}, "OK"},
        {d.Button2, nullptr, {184, 176, 75, 25}, "キャンセル"},
    };
    POINT clientOrigin{0, 0};
    ClientToScreen(d.Handle(), &clientOrigin);
    for (const Control& c : controls) {
        SCOPED_TRACE(c.text);
        RECT r = ScreenRect(c.wnd);
        POINT origin = clientOrigin;
        if (c.box) origin = {ScreenRect(c.box).left, ScreenRect(c.box).top};
        EXPECT_EQ(r.left - origin.x, c.at.left);
        EXPECT_EQ(r.top - origin.y, c.at.top);
        EXPECT_EQ(r.right - r.left, c.at.right);
        EXPECT_EQ(r.bottom - r.top, c.at.bottom);
        if (c.wnd != d.editTime) {
            EXPECT_EQ(ControlText(c.wnd), c.text);
        }
        LOGFONTA font{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(c.wnd, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_STREQ(font.lfFaceName, "ＭＳ Ｐゴシック");
        EXPECT_EQ(font.lfHeight, -12);
        EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    }
    EXPECT_EQ(SendMessageA(d.editTime, EM_GETLIMITTEXT, 0, 0), 2);

    // Tab order, with the delay field enabled.
    TOptionSettings s;
    s.TimeCapture = true;
    d.SettingsToControls(s);
    d.chkTimeCaptureClick();
    const HWND order[] = {d.chkCloseTask,   d.chkKidoTask, d.chkFukugen, d.chkMouseCapture,
                          d.chkTimeCapture, d.editTime,    d.Button1,    d.Button2};
    HWND at = GetNextDlgTabItem(d.Handle(), nullptr, FALSE);
    for (HWND expected : order) {
        EXPECT_EQ(at, expected);
        at = GetNextDlgTabItem(d.Handle(), at, FALSE);
    }
    EXPECT_EQ(at, d.chkCloseTask);
}

TEST(OptionDialog, TheDelayFieldGivesItsIntegerOr1) {
    TOptionDlg d;
    struct Case {
        const char* text;
        int32_t time;
    };
    for (Case c :
         {Case{"", 1}, {"ab", 1}, {"0", 0}, {"-3", -3}, {"$F", 15}, {" 7", 7}, {"7 ", 1}, {"x1", 1}, {"99", 99}}) {
        SCOPED_TRACE(c.text);
        TOptionSettings s;
        s.Time = 55;
        s.SaveDir = "C:\\keep\\";
        d.SettingsToControls(s);
        SetControlText(d.editTime, c.text);
        d.ControlsToSettings(s);
        EXPECT_EQ(s.Time, c.time);
        EXPECT_EQ(s.SaveDir, "C:\\keep\\");
    }
}

TEST_F(SettingsTest, OptionsOpenOnTheCurrentSettingsWithTheFocusOnTheFirstBox) {
    TKelpix& main = Start();
    main.OptionSettings.KidoTask = true;
    main.OptionSettings.Time = 7;
    ClickControl(main.SpeedButton2->Handle()); // a change on the main window since start-up
    WhileDialogUp(
        main,
        [&](TOptionDlg& d) {
            EXPECT_FALSE(Ticked(d.chkCloseTask));
            EXPECT_TRUE(Ticked(d.chkKidoTask));
            EXPECT_TRUE(Ticked(d.chkMouseCapture));
            EXPECT_FALSE(Ticked(d.chkTimeCapture));
            EXPECT_EQ(ControlText(d.editTime), "7");
            EXPECT_EQ(GetFocus(), d.chkCloseTask);
            EXPECT_FALSE(IsWindowEnabled(main.Handle()));
            // The delay field is enabled only with delayed capture ticked.
            EXPECT_FALSE(IsWindowEnabled(d.editTime));
            SendMessageA(d.chkTimeCapture, BM_CLICK, 0, 0);
            EXPECT_TRUE(IsWindowEnabled(d.editTime));
            SendMessageA(d.chkTimeCapture, BM_CLICK, 0, 0);
            EXPECT_FALSE(IsWindowEnabled(d.editTime));
            SendMessageA(d.Button1, BM_CLICK, 0, 0);
        },
        ID_N5);
    EXPECT_TRUE(IsWindowEnabled(main.Handle()));
    // The disabled field still gave its delay.
    EXPECT_EQ(main.OptionSettings.Time, 7);
    EXPECT_FALSE(main.OptionSettings.TimeCapture);
}

TEST_F(SettingsTest, OkAppliesTheOptionsToTheMainWindowAndWritesThem) {
    TKelpix& main = Start();
    main.OptionSettings.SaveDir = "C:\\pics\\";
    WhileDialogUp(main, ChangeEverythingAndPressOk);
    const TOptionSettings& s = main.OptionSettings;
    EXPECT_TRUE(s.CloseTask && s.KidoTask && s.Fukugen && s.MouseCapture && s.TimeCapture);
    EXPECT_EQ(s.Time, 42);
    EXPECT_EQ(s.SaveDir, "C:\\pics\\");
    EXPECT_TRUE(main.SpeedButton1->Down());
    EXPECT_TRUE(main.SpeedButton2->Down());
    EXPECT_EQ(main.SpeedButton1->Caption(), "時間差 42秒");
    EXPECT_EQ(SendMessageA(main.UpDown1, UDM_GETPOS32, 0, 0), 42);
    EXPECT_EQ(Lines(ReadBytes(IniFile())),
              (std::vector<std::string>{"[Option]", "CloseTask=1", "KidoTask=1", "Fukugen=1", "MouseCapture=1",
                                        "TimeCapture=1", "Time=42", "SaveDir=C:\\pics\\"}));
}

TEST_F(SettingsTest, OkWritesEvenWithoutChangesAndCancelWritesNothing) {
    TKelpix& main = Start();
    WhileDialogUp(main, [](TOptionDlg& d) { SendMessageA(d.Button1, BM_CLICK, 0, 0); });
    ASSERT_TRUE(FileExists(IniFile()));
    EXPECT_EQ(Lines(ReadBytes(IniFile())).size(), 8u);

    // Cancel and the close box: the settings stay, and a value put into the file by hand too.
    WriteIni({"[Option]", "Time=9"});
    const std::string byHand = ReadBytes(IniFile());
    WhileDialogUp(main, [](TOptionDlg& d) {
        Tick(d.chkCloseTask, true);
        SetControlText(d.editTime, "5");
        SendMessageA(d.Button2, BM_CLICK, 0, 0);
    });
    WhileDialogUp(main, [](TOptionDlg& d) {
        Tick(d.chkMouseCapture, true);
        SendMessageA(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_FALSE(main.OptionSettings.CloseTask);
    EXPECT_FALSE(main.OptionSettings.MouseCapture);
    EXPECT_FALSE(main.SpeedButton2->Down());
    EXPECT_EQ(main.OptionSettings.Time, 1);
    EXPECT_EQ(ReadBytes(IniFile()), byHand);
}

TEST_F(SettingsTest, EnterPressesOnlyTheFocusedButtonAndEscapeDoesNothing) {
    TKelpix& main = Start();
    auto press = [](BYTE key) { PostMessageA(GetFocus(), WM_KEYDOWN, key, 1); };
    WhileDialogUp(main, [&](TOptionDlg& d) {
        Tick(d.chkFukugen, true);
        press(VK_ESCAPE);
        SetFocus(d.chkFukugen);
        press(VK_RETURN);
        // After both keys: the dialog is still up and the box as it was.
        RunFromLoop([&] {
            EXPECT_EQ(ShownDialog(), &d);
            EXPECT_TRUE(Ticked(d.chkFukugen));
            SetFocus(d.Button1);
            press(VK_RETURN);
        });
    });
    EXPECT_EQ(ShownDialog(), nullptr);
    EXPECT_TRUE(main.OptionSettings.Fukugen);
    EXPECT_TRUE(FileExists(IniFile()));
}

TEST_F(SettingsTest, OptionsFromTheTrayMenuShowOneDialogCentredAndUpdateTheHiddenMainWindow) {
    TKelpix& main = Start();
    main.StoreInTray();
    auto trayCommand = [](WORD id) { SendMessageA(TaskForm->Handle(), WM_COMMAND, id, 0); };
    WhileDialogUp(
        [&](TOptionDlg& d) {
            RECT r = ScreenRect(d.Handle());
            EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
            // While it is up neither a second options command nor "show Kelpix" opens or shows anything.
            trayCommand(ID_TRAY_N1);
            trayCommand(ID_TRAY_N2);
            EXPECT_EQ(ShownDialog(), &d);
            EXPECT_EQ(GetForegroundWindow(), d.Handle());
            EXPECT_FALSE(main.Visible());
            Tick(d.chkMouseCapture, true);
            SendMessageA(d.Button1, BM_CLICK, 0, 0);
        },
        [&] { trayCommand(ID_TRAY_N1); });
    EXPECT_FALSE(main.Visible());
    EXPECT_TRUE(main.SpeedButton2->Down());
    // A message box holds the options back the same way.
    MessageBoxAnswerer answer(IDOK, [&](HWND) { trayCommand(ID_TRAY_N1); });
    Application::Get().ShowMessage("?", "Kelpix", MB_OK);
    EXPECT_TRUE(answer.Seen());
}

TEST_F(SettingsTest, ARefusedWriteAfterOkKeepsTheAppliedOptions) {
    TKelpix& main = Start();
    WriteIni({"[Option]"});
    HANDLE held = CreateFileA(IniFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    MessageBoxAnswerer answer;
    WhileDialogUp(main, ChangeEverythingAndPressOk);
    CloseHandle(held);
    ASSERT_TRUE(answer.Seen());
    EXPECT_EQ(answer.Text(), IniFile() + " に書き込めません.");
    EXPECT_EQ(main.OptionSettings.Time, 42);
    EXPECT_EQ(main.SpeedButton1->Caption(), "時間差 42秒");
    EXPECT_TRUE(main.SpeedButton2->Down());
    EXPECT_EQ(Lines(ReadBytes(IniFile())), std::vector<std::string>{"[Option]"});
}
