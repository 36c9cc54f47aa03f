// The capture toggles on the main window (delay with its arrows, mouse cursor) and the options
// command: both change the settings, and the toggles show them.
#include "main/kelpix_main.h"

#include "main/texts.h"
#include "options/option_dlg.h"
#include "toolkit/application.h"

#include <commctrl.h>
#include <cstdio>

namespace kelpix {

int TKelpix::UpDown1Position() const {
    return static_cast<int>(SendMessageA(UpDown1, UDM_GETPOS32, 0, 0));
}

void TKelpix::ApplySettingsToControls() {
    const TOptionSettings& s = OptionSettings;
    SpeedButton2->SetDown(s.MouseCapture);
    // The arrows hold a 16-bit position within 1..99; a delay outside that range leaves them at
    // the nearer end, while the delay itself stays as it is.
    SendMessageA(UpDown1, UDM_SETPOS32, 0, static_cast<int16_t>(s.Time));
    upDownPosition_ = UpDown1Position();
    char caption[32];
    std::snprintf(caption, sizeof caption, texts::kDelayButtonFormat, static_cast<int>(s.Time));
    SpeedButton1->SetCaption(caption);
    SpeedButton1->SetDown(s.TimeCapture);
}

void TKelpix::UpDown1Scrolled() {
    // At either end of the range an arrow leaves the position as it was: that is no click.
    if (UpDown1Position() == upDownPosition_) return;
    UpDown1Click();
}

void TKelpix::UpDown1Click() {
    OptionSettings.Time = UpDown1Position();
    ApplySettingsToControls();
    if (OptionSettings.Fukugen) WriteSettings();
}

void TKelpix::SpeedButton1Click() {
    OptionSettings.MouseCapture = SpeedButton2->Down();
    OptionSettings.TimeCapture = SpeedButton1->Down();
    if (OptionSettings.Fukugen) WriteSettings();
}

void TKelpix::memuOptionClick() {
    // One modal window at a time: a second options dialog would overwrite what the first one wrote.
    if (Application::Get().BringModalToFront()) return;
    TOptionDlg dialog;
    if (dialog.EditSettings(OptionSettings) != kModalOk) return;
    ApplySettingsToControls();
    // Written on every OK, changed or not.
    WriteSettings();
}

} // namespace kelpix
