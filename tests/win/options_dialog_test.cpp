// The options dialog, opened from the main window's menu and driven with messages from inside its
// message loop.
#include "settings_fixture.h"
#include "test_support.h"

#include "options/options_dialog.h"

#include <commctrl.h>

#include <functional>

using namespace kelpix;
using namespace kelpix::test;

namespace {

// The options dialog on the screen, or null.
OptionsDialog* ShownDialog() {
    for (HWND wnd = nullptr; (wnd = FindWindowExA(nullptr, wnd, "TOptionDlg", nullptr)) != nullptr;)
        if (IsWindowVisible(wnd)) return dynamic_cast<OptionsDialog*>(Window::FromHandle(wnd));
    return nullptr;
}

void CALLBACK CloseLeftDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (OptionsDialog* left = ShownDialog(); left && left->ModalResult() == 0) left->Close();
}

// Runs `inside` while the dialog the options command opens is up. A dialog still open long after
// is closed with its close box, so that a failing test ends.
void WhileDialogUp(MainWindow& main, const std::function<void(OptionsDialog&)>& inside) {
    bool ran = false;
    RunFromLoop([&] {
        OptionsDialog* dialog = ShownDialog();
        ASSERT_NE(dialog, nullptr);
        ran = true;
        inside(*dialog);
    });
    UINT_PTR guard = SetTimer(nullptr, 0, 10000, &CloseLeftDialog);
    SendMessageA(main.Handle(), WM_COMMAND, MenuId(core::Command::Options), 0);
    KillTimer(nullptr, guard);
    EXPECT_TRUE(ran) << "the dialog did not come up";
}

void Click(HWND button) {
    SendMessageA(button, BM_CLICK, 0, 0);
}

} // namespace

TEST_F(SettingsTest, OkWritesEverySettingAndTheMainWindowsTogglesShowThem) {
    Start();
    WhileDialogUp(main(), [](OptionsDialog& d) {
        const OptionsDialog::Controls& c = d.Children();
        // The delay field is enabled exactly while delayed capture is ticked.
        EXPECT_FALSE(IsWindowEnabled(c.delay));
        for (bool ticked : {true, false, true}) {
            Click(c.delayedCapture);
            EXPECT_EQ(IsWindowEnabled(c.delay) != FALSE, ticked);
        }
        for (HWND box : {c.closeToTray, c.startInTray, c.restoreToggles, c.drawCursor})
            Click(box);
        SetWindowTextA(c.delay, "42");
        Click(c.ok);
    });
    EXPECT_EQ(Lines(ReadBytes(IniFile())),
              (std::vector<std::string>{"[Option]", "CloseTask=1", "KidoTask=1", "Fukugen=1", "MouseCapture=1",
                                        "TimeCapture=1", "Time=42", "SaveDir="}));
    EXPECT_TRUE(main().CursorButton().Down());
    EXPECT_TRUE(main().DelayButton().Down());
    EXPECT_EQ(SendMessageA(main().DelayArrows(), UDM_GETPOS32, 0, 0), 42);
}

TEST_F(SettingsTest, EnterPressesOnlyAFocusedButtonEscapeDoesNothingAndTheCloseBoxCancels) {
    Start();
    auto press = [](WPARAM key) { PostMessageA(GetFocus(), WM_KEYDOWN, key, 1); };
    WhileDialogUp(main(), [&](OptionsDialog& d) {
        const OptionsDialog::Controls& c = d.Children();
        Click(c.restoreToggles);
        press(VK_ESCAPE);
        SetFocus(c.restoreToggles);
        press(VK_RETURN);
        // After both keys the dialog is still up; Enter on the OK button closes it.
        RunFromLoop([&press, dialog = &d] {
            EXPECT_EQ(ShownDialog(), dialog);
            SetFocus(dialog->Children().ok);
            press(VK_RETURN);
        });
    });
    const std::string written = ReadBytes(IniFile());
    EXPECT_NE(written.find("Fukugen=1"), std::string::npos);

    WhileDialogUp(main(), [](OptionsDialog& d) {
        Click(d.Children().drawCursor);
        SendMessageA(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_FALSE(main().CursorButton().Down());
    EXPECT_EQ(ReadBytes(IniFile()), written);
}
