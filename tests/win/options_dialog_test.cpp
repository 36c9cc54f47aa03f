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
        SendMessageW(c.language, CB_SETCURSEL, 2, 0); // English
        Click(c.ok);
    });
    EXPECT_EQ(Lines(ReadBytes(IniFile())),
              (std::vector<std::string>{"[Option]", "CloseTask=1", "KidoTask=1", "Fukugen=1", "MouseCapture=1",
                                        "TimeCapture=1", "Time=42", "SaveDir=", "Language=2", "PointerWindowKey=0x064B",
                                        "ActiveWindowKey=0x064A"}));
    // The new language shows at once.
    wchar_t file[32] = {};
    GetMenuStringW(main().MenuBar(), 0, file, 32, MF_BYPOSITION);
    EXPECT_STREQ(file, L"&File");
    EXPECT_EQ(main().RecopyButton().Caption(), L"Copy again");
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
