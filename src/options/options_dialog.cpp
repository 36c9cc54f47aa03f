#include "options/options_dialog.h"

#include "core/text_to_int.h"
#include "main/texts.h"

#include <commctrl.h>
#include <string>

namespace kelpix {

namespace {

constexpr int kClientWidth = 269;
// The global shortcut keys and the start with Windows: a block below the language row.
constexpr int kKeysBlockTop = 206;
constexpr int kKeysBlockHeight = 131;
// The OK and Cancel buttons, below every block.
constexpr int kButtonsTop = kKeysBlockTop + kKeysBlockHeight;
constexpr int kClientHeight = kButtonsTop + 30;
constexpr int kDelayMaxLength = 2;
constexpr int kDelayFallback = 1; // what a delay field that holds no integer gives

// Control ids: never IDOK (1) or IDCANCEL (2), which the dialog manager sends for Enter and Escape.
enum ControlId : int { kFirstControlId = 100 };

// The group boxes are siblings of the controls drawn inside them, so the controls' notifications
// reach the dialog; positions inside a box are given relative to it.
struct Box {
    int left, top;
};
constexpr Box kEnvironmentBox{8, 8};
constexpr Box kOperationBox{8, 104};

void SetTicked(HWND box, bool ticked) {
    SendMessageW(box, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool Ticked(HWND box) {
    return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The field's text as the integer rules read it: any character beyond ASCII makes it unreadable.
std::string FieldText(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    std::string ascii;
    for (wchar_t c : text)
        ascii += c < 0x80 ? static_cast<char>(c) : '\x01';
    return ascii;
}

// The language choice's entries, in the order of core::Language's values.
constexpr int kLanguageEntries = 3;

} // namespace

OptionsDialog::OptionsDialog() {
    const core::Texts& t = Texts();
    FormLayout layout{L"TOptionDlg", t.optionsCaption};
    layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPSIBLINGS;
    layout.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    layout.clientWidth = kClientWidth;
    layout.clientHeight = kClientHeight;
    layout.icon = false;
    CreateForm(layout);

    // In the centre of the screen.
    RECT r{};
    GetWindowRect(Handle(), &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // Creation order is the tab order.
    constexpr DWORD check = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
    constexpr DWORD button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    int id = kFirstControlId;
    Controls& c = controls_;
    const Box& env = kEnvironmentBox;
    CreateChild(WC_BUTTONW, t.groupEnvironment, WS_VISIBLE | BS_GROUPBOX, env.left, env.top, 249, 89);
    c.closeToTray =
        CreateChild(WC_BUTTONW, t.checkCloseToTray, check, env.left + 8, env.top + 16, 233, 17, nullptr, id++);
    c.startInTray =
        CreateChild(WC_BUTTONW, t.checkStartInTray, check, env.left + 8, env.top + 40, 233, 17, nullptr, id++);
    c.restoreToggles =
        CreateChild(WC_BUTTONW, t.checkRestoreToggles, check, env.left + 8, env.top + 64, 233, 17, nullptr, id++);

    const Box& op = kOperationBox;
    CreateChild(WC_BUTTONW, t.groupOperation, WS_VISIBLE | BS_GROUPBOX, op.left, op.top, 249, 65);
    c.drawCursor = CreateChild(WC_BUTTONW, t.checkDrawCursor, check, op.left + 8, op.top + 16, 233, 17, nullptr, id++);
    c.delayedCapture =
        CreateChild(WC_BUTTONW, t.checkDelayedCapture, check, op.left + 8, op.top + 40, 129, 17, nullptr, id++);
    c.delay = CreateChild(WC_EDITW, L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, op.left + 147, op.top + 38, 41, 20,
                          nullptr, id++, WS_EX_CLIENTEDGE);
    SendMessageW(c.delay, EM_LIMITTEXT, kDelayMaxLength, 0);
    CreateChild(WC_STATICW, t.secondsLater, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, op.left + 192, op.top + 43, 52, 12);

    CreateChild(WC_STATICW, t.languageLabel, WS_VISIBLE | SS_LEFT, 16, 180, 72, 12);
    c.language = CreateChild(WC_COMBOBOXW, L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 96, 176, 120,
                             120, nullptr, id++);
    for (const wchar_t* name : {t.languageAutomatic, core::kJapaneseName, core::kEnglishName})
        SendMessageW(c.language, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));

    // Global shortcut keys and the start with Windows. A key with no modifier, or with Shift alone,
    // would take a key away from typing everywhere: the control makes it Ctrl+Alt with that key.
    const int keys = kKeysBlockTop;
    CreateChild(WC_BUTTONW, t.groupShortcutKeys, WS_VISIBLE | BS_GROUPBOX, 8, keys, 249, 98);
    CreateChild(WC_STATICW, t.labelPointerWindowKey, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 16, keys + 16, 233, 12);
    c.pointerWindowKey =
        CreateChild(HOTKEY_CLASSW, L"", WS_VISIBLE | WS_TABSTOP, 16, keys + 30, 160, 20, nullptr, id++);
    CreateChild(WC_STATICW, t.labelActiveWindowKey, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 16, keys + 56, 233, 12);
    c.activeWindowKey = CreateChild(HOTKEY_CLASSW, L"", WS_VISIBLE | WS_TABSTOP, 16, keys + 70, 160, 20, nullptr, id++);
    for (HWND key : {c.pointerWindowKey, c.activeWindowKey})
        SendMessageW(key, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    c.startWithWindows =
        CreateChild(WC_BUTTONW, t.checkStartWithWindows, check, 16, keys + 106, 241, 17, nullptr, id++);

    c.ok = CreateChild(WC_BUTTONW, t.buttonOk, button, 103, kButtonsTop, 75, 25, nullptr, id++);
    c.cancel = CreateChild(WC_BUTTONW, t.buttonCancel, button, 184, kButtonsTop, 75, 25, nullptr, id++);
}

std::optional<core::Settings> OptionsDialog::Edit(const core::Settings& settings) {
    shown_ = settings;
    Show(settings);
    EnableDelay();
    if (ShowModal() != kModalOk) return std::nullopt;
    return Read(settings);
}

void OptionsDialog::Show(const core::Settings& s) {
    SetTicked(controls_.closeToTray, s.close_to_tray);
    SetTicked(controls_.startInTray, s.start_in_tray);
    SetTicked(controls_.restoreToggles, s.restore_toggles);
    SetTicked(controls_.drawCursor, s.draw_cursor);
    SetTicked(controls_.delayedCapture, s.delayed_capture);
    SetWindowTextW(controls_.delay, std::to_wstring(s.delay_seconds).c_str());
    SendMessageW(controls_.language, CB_SETCURSEL, static_cast<WPARAM>(s.language), 0);
    // Global shortcut keys
    SendMessageW(controls_.pointerWindowKey, HKM_SETHOTKEY, s.pointer_window_key, 0);
    SendMessageW(controls_.activeWindowKey, HKM_SETHOTKEY, s.active_window_key, 0);
}

core::Settings OptionsDialog::Read(core::Settings s) const {
    s.close_to_tray = Ticked(controls_.closeToTray);
    s.start_in_tray = Ticked(controls_.startInTray);
    s.restore_toggles = Ticked(controls_.restoreToggles);
    s.draw_cursor = Ticked(controls_.drawCursor);
    s.delayed_capture = Ticked(controls_.delayedCapture);
    // Also taken while the field is disabled.
    s.delay_seconds = core::TextToInt(FieldText(controls_.delay), kDelayFallback);
    const LRESULT language = SendMessageW(controls_.language, CB_GETCURSEL, 0, 0);
    s.language = language >= 0 && language < kLanguageEntries ? static_cast<core::Language>(language) : s.language;
    // Global shortcut keys
    s.pointer_window_key = static_cast<uint16_t>(SendMessageW(controls_.pointerWindowKey, HKM_GETHOTKEY, 0, 0));
    s.active_window_key = static_cast<uint16_t>(SendMessageW(controls_.activeWindowKey, HKM_GETHOTKEY, 0, 0));
    return s;
}

void OptionsDialog::ShowStartWithWindows(bool on) {
    SetTicked(controls_.startWithWindows, on);
}

bool OptionsDialog::StartWithWindows() const {
    return Ticked(controls_.startWithWindows);
}

void OptionsDialog::EnableDelay() {
    EnableWindow(controls_.delay, Ticked(controls_.delayedCapture));
}

bool OptionsDialog::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        // No default and no cancel button: Enter presses the focused button and nothing else,
        // Escape does nothing.
        HWND focus = GetFocus();
        if (msg.wParam == VK_RETURN && (focus == controls_.ok || focus == controls_.cancel))
            SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                         reinterpret_cast<LPARAM>(focus));
        return true;
    }
    return Form::PreTranslateMessage(msg);
}

LRESULT OptionsDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) {
        if (HIWORD(wParam) == BN_CLICKED) {
            HWND control = reinterpret_cast<HWND>(lParam);
            if (control == controls_.delayedCapture)
                EnableDelay();
            else if (control == controls_.ok) {
                if (OnApply) OnApply(Read(shown_), StartWithWindows());
                SetModalResult(kModalOk);
            } else if (control == controls_.cancel)
                SetModalResult(kModalCancel);
        }
        return 0;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

} // namespace kelpix
