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

void Click(Control button) {
    button.Send(BM_CLICK);
}

} // namespace

TEST_F(SettingsTest, OkWritesEverySettingAndTheMainWindowsTogglesShowThem) {
    Start();
    WhileDialogUp(main(), [](OptionsDialog& d) {
        // A control that a box enables (the delay, the automatic save's fields) follows the box.
        for (const core::SettingRow& row : core::SettingRows()) {
            if (!row.dialog.enabledBy) continue;
            const Control box = d.ControlFor(row.dialog.enabledBy), control = d.ControlFor(row.member);
            const bool browses = row.dialog.control == core::SettingControl::FolderField;
            EXPECT_FALSE(control.Enabled() || (browses && d.BrowseButton().Enabled())) << Utf8(row.fileKey);
            Click(box);
            EXPECT_TRUE(control.Enabled() && (!browses || d.BrowseButton().Enabled())) << Utf8(row.fileKey);
            Click(box);
            EXPECT_FALSE(control.Enabled()) << Utf8(row.fileKey);
        }
        for (const core::SettingRow& row : core::SettingRows())
            if (row.dialog.control == core::SettingControl::CheckBox && !d.ControlFor(row.member).Ticked())
                Click(d.ControlFor(row.member));
        d.ControlFor(&core::Settings::delay_seconds).SetText(L"42");
        d.ControlFor(&core::Settings::language).Choose(2); // English
        d.ControlFor(&core::Settings::auto_save_folder).SetText(L"D:\\shots");
        d.ControlFor(&core::Settings::auto_save_format).Choose(1); // JPEG
        d.ControlFor(&core::Settings::auto_save_name).SetText(L"<program>-<n>");
        Click(d.OkButton());
    });
    EXPECT_EQ(Lines(ReadBytes(IniFile())),
              (std::vector<std::string>{"[Option]", "CloseTask=1", "KidoTask=1", "Fukugen=1", "MouseCapture=1",
                                        "TimeCapture=1", "Time=42", "SaveDir=", "Language=2", "PrintWindow=1",
                                        "AutoSave=1", "AutoSaveDir=D:\\shots", "AutoSaveFormat=2",
                                        "AutoSaveName=<program>-<n>", "PointerWindowKey=0x064B",
                                        "ActiveWindowKey=0x064A", "EditAfterCapture=1", "CopyAsFile=1",
                                        "ShapeMask=1"}));
    // Read back as the dialog shows them the next time.
    WhileDialogUp(Start().Main(), [](OptionsDialog& d) {
        EXPECT_TRUE(d.ControlFor(&core::Settings::auto_save).Ticked());
        EXPECT_EQ(d.ControlFor(&core::Settings::auto_save_folder).Text(), L"D:\\shots");
        EXPECT_EQ(d.ControlFor(&core::Settings::auto_save_format).Chosen(), 1);
        EXPECT_EQ(d.ControlFor(&core::Settings::auto_save_name).Text(), L"<program>-<n>");
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
        const Control restoreToggles = d.ControlFor(&core::Settings::restore_toggles);
        Click(restoreToggles);
        press(VK_ESCAPE);
        SetFocus(restoreToggles.Handle());
        press(VK_RETURN);
        // After both keys the dialog is still up; Enter on the OK button closes it.
        RunFromLoop([&press, dialog = &d] {
            EXPECT_EQ(ShownDialog(), dialog);
            SetFocus(dialog->OkButton().Handle());
            press(VK_RETURN);
        });
    });
    const std::string written = ReadBytes(IniFile());
    EXPECT_NE(written.find("Fukugen=1"), std::string::npos);

    WhileDialogUp(main(), [](OptionsDialog& d) {
        Click(d.ControlFor(&core::Settings::draw_cursor));
        SendMessageA(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_FALSE(main().CursorButton().Down());
    EXPECT_EQ(ReadBytes(IniFile()), written);
}
