// The options dialog: edits every setting but the save folder. It has no default or cancel
// button: Enter presses a button only while that button has the focus, Escape does nothing, and
// the close box cancels.
#pragma once
#include "main/settings.h"
#include "toolkit/form.h"

namespace kelpix {

class TOptionDlg : public Form {
public:
    TOptionDlg();

    // Runs the dialog modally on a copy of `settings`; on OK the controls go back into `settings`.
    // Returns the modal result: kModalOk or kModalCancel.
    int EditSettings(TOptionSettings& settings);
    void SettingsToControls(TOptionSettings settings);
    // Everything but SaveDir; a delay that is not an integer becomes 1.
    void ControlsToSettings(TOptionSettings& settings) const;
    // The delay field is enabled exactly while delayed capture is ticked.
    void chkTimeCaptureClick();

    bool PreTranslateMessage(MSG& msg) override;

    HWND GroupBox1 = nullptr;
    HWND chkCloseTask = nullptr;
    HWND chkKidoTask = nullptr;
    HWND chkFukugen = nullptr;
    HWND GroupBox2 = nullptr;
    HWND chkMouseCapture = nullptr;
    HWND chkTimeCapture = nullptr;
    HWND editTime = nullptr;
    HWND Label1 = nullptr;
    HWND Button1 = nullptr; // OK
    HWND Button2 = nullptr; // cancel

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

extern TOptionDlg* OptionDlg;

} // namespace kelpix
