// The options dialog, opened from the main window's menu and driven with messages from inside its
// message loop.
#include "settings_fixture.h"
#include "test_support.h"

#include "ui/options_dialog.h"

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
        for (HWND box : {c.closeToTray, c.startInTray, c.restoreToggles, c.drawCursor, c.printWindow})
            Click(box);
        SetWindowTextA(c.delay, "42");
        SendMessageW(c.language, CB_SETCURSEL, 2, 0); // English
        // The automatic save's fields follow its box, as the delay field does.
        EXPECT_FALSE(IsWindowEnabled(c.autoSaveName));
        Click(c.autoSave);
        EXPECT_TRUE(IsWindowEnabled(c.autoSaveName) && IsWindowEnabled(c.browse));
        SetWindowTextW(c.autoSaveFolder, L"D:\\shots");
        SendMessageW(c.autoSaveFormat, CB_SETCURSEL, 1, 0); // JPEG
        SetWindowTextW(c.autoSaveName, L"<program>-<n>");
        Click(c.ok);
    });
    EXPECT_EQ(Lines(ReadBytes(IniFile())),
              (std::vector<std::string>{
                  "[Option]", "CloseTask=1", "KidoTask=1", "Fukugen=1", "MouseCapture=1", "TimeCapture=1", "Time=42",
                  "SaveDir=", "Language=2", "PrintWindow=1", "AutoSave=1", "AutoSaveDir=D:\\shots", "AutoSaveFormat=2",
                  "AutoSaveName=<program>-<n>", "PointerWindowKey=0x064B", "ActiveWindowKey=0x064A"}));
    // Read back as the dialog shows them the next time.
    WhileDialogUp(Start().Main(), [](OptionsDialog& d) {
        const OptionsDialog::Controls& c = d.Children();
        wchar_t folder[32] = {}, name[32] = {};
        GetWindowTextW(c.autoSaveFolder, folder, 32);
        GetWindowTextW(c.autoSaveName, name, 32);
        EXPECT_EQ(SendMessageW(c.autoSave, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_STREQ(folder, L"D:\\shots");
        EXPECT_EQ(SendMessageW(c.autoSaveFormat, CB_GETCURSEL, 0, 0), 1);
        EXPECT_STREQ(name, L"<program>-<n>");
        d.Close();
    });
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
