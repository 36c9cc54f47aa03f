#include "options/options_dialog.h"

#include "core/text_to_int.h"
#include "main/texts.h"

#include <commctrl.h>
#include <string>

namespace kelpix {

namespace {

constexpr int kClientWidth = 269;
constexpr int kClientHeight = 206;
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
    SendMessageA(box, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}
bool Ticked(HWND box) {
    return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string ControlText(HWND control) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace

OptionsDialog::OptionsDialog() {
    FormLayout layout{"TOptionDlg", texts::kOptionsCaption};
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
    CreateChild(WC_BUTTONA, texts::kGroupEnvironment, WS_VISIBLE | BS_GROUPBOX, env.left, env.top, 249, 89);
    c.closeToTray =
        CreateChild(WC_BUTTONA, texts::kCheckCloseToTray, check, env.left + 8, env.top + 16, 233, 17, nullptr, id++);
    c.startInTray =
        CreateChild(WC_BUTTONA, texts::kCheckStartInTray, check, env.left + 8, env.top + 40, 233, 17, nullptr, id++);
    c.restoreToggles =
        CreateChild(WC_BUTTONA, texts::kCheckRestoreToggles, check, env.left + 8, env.top + 64, 233, 17, nullptr, id++);

    const Box& op = kOperationBox;
    CreateChild(WC_BUTTONA, texts::kGroupOperation, WS_VISIBLE | BS_GROUPBOX, op.left, op.top, 249, 65);
    c.drawCursor =
        CreateChild(WC_BUTTONA, texts::kCheckDrawCursor, check, op.left + 8, op.top + 16, 233, 17, nullptr, id++);
    c.delayedCapture =
        CreateChild(WC_BUTTONA, texts::kCheckDelayedCapture, check, op.left + 8, op.top + 40, 129, 17, nullptr, id++);
    c.delay = CreateChild(WC_EDITA, "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, op.left + 147, op.top + 38, 41, 20,
                          nullptr, id++, WS_EX_CLIENTEDGE);
    SendMessageA(c.delay, EM_LIMITTEXT, kDelayMaxLength, 0);
    CreateChild(WC_STATICA, texts::kSecondsLater, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, op.left + 192, op.top + 43, 24,
                12);

    c.ok = CreateChild(WC_BUTTONA, texts::kButtonOk, button, 103, 176, 75, 25, nullptr, id++);
    c.cancel = CreateChild(WC_BUTTONA, texts::kButtonCancel, button, 184, 176, 75, 25, nullptr, id++);
}

std::optional<core::Settings> OptionsDialog::Edit(const core::Settings& settings) {
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
    SetWindowTextA(controls_.delay, std::to_string(s.delay_seconds).c_str());
}

core::Settings OptionsDialog::Read(core::Settings s) const {
    s.close_to_tray = Ticked(controls_.closeToTray);
    s.start_in_tray = Ticked(controls_.startInTray);
    s.restore_toggles = Ticked(controls_.restoreToggles);
    s.draw_cursor = Ticked(controls_.drawCursor);
    s.delayed_capture = Ticked(controls_.delayedCapture);
    // Also taken while the field is disabled.
    s.delay_seconds = core::TextToInt(ControlText(controls_.delay), kDelayFallback);
    return s;
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
            SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
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
            else if (control == controls_.ok)
                SetModalResult(kModalOk);
            else if (control == controls_.cancel)
                SetModalResult(kModalCancel);
        }
        return 0;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

} // namespace kelpix
