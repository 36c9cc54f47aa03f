#include "options/option_dlg.h"

#include "core/text_to_int.h"
#include "main/texts.h"

#include <commctrl.h>
#include <string>

namespace kelpix {

TOptionDlg* OptionDlg = nullptr;

namespace {

constexpr int kClientWidth = 269;
constexpr int kClientHeight = 206;
constexpr int kTimeMaxLength = 2;
constexpr int kDelayFallback = 1; // what a delay field that holds no integer gives

// Control ids: never IDOK (1) or IDCANCEL (2), which the dialog manager sends for Enter and Escape.
enum ControlId : int {
    ID_CHKCLOSETASK = 100,
    ID_CHKKIDOTASK,
    ID_CHKFUKUGEN,
    ID_CHKMOUSECAPTURE,
    ID_CHKTIMECAPTURE,
    ID_EDITTIME,
    ID_BUTTON1,
    ID_BUTTON2,
};

// The group boxes are siblings of the controls drawn inside them, so the controls' notifications
// reach the dialog; positions inside a box are given relative to it.
struct Box {
    int left, top;
};
constexpr Box kGroupBox1{8, 8};
constexpr Box kGroupBox2{8, 104};

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

TOptionDlg::TOptionDlg() {
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
    const Box& b1 = kGroupBox1;
    GroupBox1 = CreateChild(WC_BUTTONA, texts::kGroupEnvironment, WS_VISIBLE | BS_GROUPBOX, b1.left, b1.top, 249, 89);
    chkCloseTask = CreateChild(WC_BUTTONA, texts::kCheckCloseTask, check, b1.left + 8, b1.top + 16, 233, 17, nullptr,
                               ID_CHKCLOSETASK);
    chkKidoTask = CreateChild(WC_BUTTONA, texts::kCheckKidoTask, check, b1.left + 8, b1.top + 40, 233, 17, nullptr,
                              ID_CHKKIDOTASK);
    chkFukugen =
        CreateChild(WC_BUTTONA, texts::kCheckFukugen, check, b1.left + 8, b1.top + 64, 233, 17, nullptr, ID_CHKFUKUGEN);

    const Box& b2 = kGroupBox2;
    GroupBox2 = CreateChild(WC_BUTTONA, texts::kGroupOperation, WS_VISIBLE | BS_GROUPBOX, b2.left, b2.top, 249, 65);
    chkMouseCapture = CreateChild(WC_BUTTONA, texts::kCheckMouseCapture, check, b2.left + 8, b2.top + 16, 233, 17,
                                  nullptr, ID_CHKMOUSECAPTURE);
    chkTimeCapture = CreateChild(WC_BUTTONA, texts::kCheckTimeCapture, check, b2.left + 8, b2.top + 40, 129, 17,
                                 nullptr, ID_CHKTIMECAPTURE);
    editTime = CreateChild(WC_EDITA, "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, b2.left + 147, b2.top + 38, 41, 20,
                           nullptr, ID_EDITTIME, WS_EX_CLIENTEDGE);
    SendMessageA(editTime, EM_LIMITTEXT, kTimeMaxLength, 0);
    Label1 = CreateChild(WC_STATICA, texts::kSecondsLater, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, b2.left + 192,
                         b2.top + 43, 24, 12);

    Button1 = CreateChild(WC_BUTTONA, texts::kButtonOk, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 103, 176, 75, 25,
                          nullptr, ID_BUTTON1);
    Button2 = CreateChild(WC_BUTTONA, texts::kButtonCancel, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 184, 176, 75, 25,
                          nullptr, ID_BUTTON2);
}

int TOptionDlg::EditSettings(TOptionSettings& settings) {
    SettingsToControls(settings);
    chkTimeCaptureClick();
    int result = ShowModal();
    if (result == kModalOk) ControlsToSettings(settings);
    return result;
}

void TOptionDlg::SettingsToControls(TOptionSettings settings) {
    SetTicked(chkCloseTask, settings.CloseTask);
    SetTicked(chkKidoTask, settings.KidoTask);
    SetTicked(chkFukugen, settings.Fukugen);
    SetTicked(chkMouseCapture, settings.MouseCapture);
    SetTicked(chkTimeCapture, settings.TimeCapture);
    SetWindowTextA(editTime, std::to_string(settings.Time).c_str());
}

void TOptionDlg::ControlsToSettings(TOptionSettings& settings) const {
    settings.CloseTask = Ticked(chkCloseTask);
    settings.KidoTask = Ticked(chkKidoTask);
    settings.Fukugen = Ticked(chkFukugen);
    settings.MouseCapture = Ticked(chkMouseCapture);
    settings.TimeCapture = Ticked(chkTimeCapture);
    // Also taken while the field is disabled.
    settings.Time = core::TextToInt(ControlText(editTime), kDelayFallback);
}

void TOptionDlg::chkTimeCaptureClick() {
    EnableWindow(editTime, Ticked(chkTimeCapture));
}

bool TOptionDlg::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        // No default and no cancel button: Enter presses the focused button and nothing else,
        // Escape does nothing.
        HWND focus = GetFocus();
        if (msg.wParam == VK_RETURN && (focus == Button1 || focus == Button2))
            SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                         reinterpret_cast<LPARAM>(focus));
        return true;
    }
    return Form::PreTranslateMessage(msg);
}

LRESULT TOptionDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) {
        if (HIWORD(wParam) == BN_CLICKED) {
            HWND control = reinterpret_cast<HWND>(lParam);
            if (control == chkTimeCapture)
                chkTimeCaptureClick();
            else if (control == Button1)
                SetModalResult(kModalOk);
            else if (control == Button2)
                SetModalResult(kModalCancel);
        }
        return 0;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

} // namespace kelpix
