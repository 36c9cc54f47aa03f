// The options dialog: edits every setting but the save folder, each with the control its row in
// core/settings.h names. It has no default or cancel button: Enter presses a button only while that
// button has the focus, Escape does nothing, and the close box cancels.
#pragma once
#include "core/settings.h"
#include "toolkit/form.h"

#include <functional>
#include <optional>
#include <vector>

namespace kelpix {

class OptionsDialog : public Form {
public:
    OptionsDialog();

    // Shows the settings, runs the dialog modally and returns what it holds on OK (the save folder
    // as given); nothing when it was cancelled or the program is ending.
    std::optional<core::Settings> Edit(const core::Settings& settings);

    // The control that shows a setting; none for a setting the dialog does not show.
    Control ControlFor(core::SettingMember member) const;
    // The controls that hold no setting.
    Control BrowseButton() const { return browse_; } // the automatic save's folder
    Control StartWithWindowsBox() const { return startWithWindows_; }
    Control OkButton() const { return ok_; }
    Control CancelButton() const { return cancel_; }

    // --- Global shortcut keys and the start with Windows
    // The start with Windows is the system's, not a setting: the box shows what it is when the
    // dialog opens, and it is read back after OK.
    void ShowStartWithWindows(bool on);
    bool StartWithWindows() const;
    // Called on OK while the dialog is still up, with what it holds: puts into effect what the
    // system keeps (the keys, the start with Windows) and tells the user what it refused.
    std::function<void(const core::Settings& chosen, bool startWithWindows)> OnApply;

    bool PreTranslateMessage(MSG& msg) override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Makes the row's control with its label; the control, and a browse button after it, take their
    // ids from `id`, which moves on past them.
    Control CreateSettingControl(const core::SettingRow& row, int& id);
    void Show(const core::Settings& settings);
    core::Settings Read(core::Settings settings) const;
    // A control that a box enables is enabled exactly while the box is ticked.
    void EnableByBoxes();

    std::vector<Control> settingControls_; // one per row of core::SettingRows(), none where it has none
    Control browse_, browsedFolder_;       // the button and the field it fills
    Control startWithWindows_, ok_, cancel_;
    core::Settings shown_; // what Edit was given
};

} // namespace kelpix
