// The options dialog: edits every setting but the save folder. It has no default or cancel button:
// Enter presses a button only while that button has the focus, Escape does nothing, and the close
// box cancels.
#pragma once
#include "core/settings.h"
#include "toolkit/form.h"

#include <functional>
#include <optional>

namespace kelpix {

class OptionsDialog : public Form {
public:
    OptionsDialog();

    // Shows the settings, runs the dialog modally and returns what it holds on OK (the save folder
    // as given); nothing when it was cancelled or the program is ending.
    std::optional<core::Settings> Edit(const core::Settings& settings);

    // The controls, in tab order.
    struct Controls {
        HWND closeToTray, startInTray, restoreToggles;                       // "環境設定"
        HWND drawCursor, delayedCapture, delay;                              // "動作設定"
        HWND language;                                                       // automatic, Japanese, English
        HWND printWindow;                                                    // the parts that other windows cover
        HWND autoSave, autoSaveFolder, browse, autoSaveFormat, autoSaveName; // "自動保存"
        HWND pointerWindowKey, activeWindowKey;                              // global shortcut keys
        HWND startWithWindows;
        HWND ok, cancel;
    };
    const Controls& Children() const { return controls_; }

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
    void Show(const core::Settings& settings);
    core::Settings Read(core::Settings settings) const;
    // The delay field is enabled exactly while delayed capture is ticked.
    void EnableDelay();
    // The automatic save's folder, format and name are enabled exactly while it is ticked.
    void EnableAutoSave();

    Controls controls_{};
    core::Settings shown_; // what Edit was given
};

} // namespace kelpix
