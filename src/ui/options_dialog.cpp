#include "ui/options_dialog.h"

#include "core/text_to_int.h"
#include "services/texts.h"

#include "services/image_files.h"
#include "services/late_library.h"

#include <commctrl.h>
#include <shlobj.h>

#include <optional>
#include <string>

namespace kelpix {

namespace {

// Two columns: on the left today's settings, the language and the parts that other windows cover;
// on the right the automatic save, the global shortcut keys and the start with Windows; OK and
// Cancel below, at the right.
constexpr int kLeftColumn = 8, kRightColumn = 268;
constexpr int kClientWidth = kRightColumn + 257;
constexpr int kPrintWindowTop = 204;
constexpr int kKeysBlockTop = 146;
constexpr int kButtonsTop = 280;
constexpr int kClientHeight = kButtonsTop + 32;
constexpr int kDelayMaxLength = 2;
constexpr int kDelayFallback = 1; // what a delay field that holds no integer gives

// Control ids: never IDOK (1) or IDCANCEL (2), which the dialog manager sends for Enter and Escape.
enum ControlId : int { kFirstControlId = 100 };

// The group boxes are siblings of the controls drawn inside them, so the controls' notifications
// reach the dialog; positions inside a box are given relative to it.
struct Box {
    int left, top;
};
constexpr Box kEnvironmentBox{kLeftColumn, 8};
constexpr Box kOperationBox{kLeftColumn, 104};
constexpr Box kAutoSaveBox{kRightColumn, 8};
constexpr Box kKeysBox{kRightColumn, kKeysBlockTop};


std::wstring WideText(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The folder chooser opens on the folder it was given (data: its path, or 0).
int CALLBACK SelectStartFolder(HWND dialog, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// Asks for a folder, starting at `start`; nothing when the user cancels.
std::optional<std::wstring> ChooseFolder(HWND owner, const std::wstring& start) {
    // The shell's and COM's libraries are loaded now, for this dialog only.
    const auto initialize = RequiredLateFunction<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    const auto uninitialize = RequiredLateFunction<decltype(&CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    const auto freeMemory = RequiredLateFunction<decltype(&CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    const auto browse = RequiredLateFunction<decltype(&SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
    const auto pathOf = RequiredLateFunction<decltype(&SHGetPathFromIDListW)>(L"shell32.dll", "SHGetPathFromIDListW");
    const HRESULT com = initialize(nullptr, COINIT_APARTMENTTHREADED);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = Texts().browseTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = &SelectStartFolder;
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    std::optional<std::wstring> chosen;
    if (PIDLIST_ABSOLUTE picked = browse(&info)) {
        wchar_t path[MAX_PATH] = {};
        if (pathOf(picked, path)) chosen = path;
        freeMemory(picked);
    }
    if (SUCCEEDED(com)) uninitialize();
    return chosen;
}

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

    // --- The parts that other windows cover
    c.printWindow = CreateChild(WC_BUTTONW, t.checkPrintWindow, check, 16, kPrintWindowTop, 245, 17, nullptr, id++);

    // --- The automatic save
    const Box& save = kAutoSaveBox;
    constexpr DWORD label = WS_VISIBLE | SS_LEFT;
    constexpr DWORD field = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
    CreateChild(WC_BUTTONW, t.groupAutoSave, WS_VISIBLE | BS_GROUPBOX, save.left, save.top, 249, 130);
    c.autoSave = CreateChild(WC_BUTTONW, t.checkAutoSave, check, save.left + 8, save.top + 16, 233, 17, nullptr, id++);
    CreateChild(WC_STATICW, t.autoSaveFolderLabel, label, save.left + 8, save.top + 42, 62, 12);
    c.autoSaveFolder =
        CreateChild(WC_EDITW, L"", field, save.left + 72, save.top + 38, 104, 20, nullptr, id++, WS_EX_CLIENTEDGE);
    SendMessageW(c.autoSaveFolder, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(t.autoSaveFolderDefault));
    c.browse = CreateChild(WC_BUTTONW, t.browseButton, button, save.left + 180, save.top + 37, 61, 22, nullptr, id++);
    CreateChild(WC_STATICW, t.autoSaveFormatLabel, label, save.left + 8, save.top + 67, 62, 12);
    c.autoSaveFormat = CreateChild(WC_COMBOBOXW, L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                   save.left + 72, save.top + 63, 72, 120, nullptr, id++);
    for (const core::ImageFormatRow& format : core::kImageFormats)
        SendMessageW(c.autoSaveFormat, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(format.choiceName));
    CreateChild(WC_STATICW, t.autoSaveNameLabel, label, save.left + 8, save.top + 92, 62, 12);
    c.autoSaveName =
        CreateChild(WC_EDITW, L"", field, save.left + 72, save.top + 88, 169, 20, nullptr, id++, WS_EX_CLIENTEDGE);
    // The tokens the name may hold.
    CreateChild(WC_STATICW, core::kAutoSaveTokens, label | SS_NOPREFIX, save.left + 8, save.top + 112, 233, 12);

    // --- Global shortcut keys and the start with Windows. A key with no modifier, or with Shift
    // alone, would take a key away from typing everywhere: the control makes it Ctrl+Alt with that key.
    const Box& keys = kKeysBox;
    CreateChild(WC_BUTTONW, t.groupShortcutKeys, WS_VISIBLE | BS_GROUPBOX, keys.left, keys.top, 249, 98);
    CreateChild(WC_STATICW, t.labelPointerWindowKey, label | SS_NOPREFIX, keys.left + 8, keys.top + 16, 233, 12);
    c.pointerWindowKey =
        CreateChild(HOTKEY_CLASSW, L"", WS_VISIBLE | WS_TABSTOP, keys.left + 8, keys.top + 30, 160, 20, nullptr, id++);
    CreateChild(WC_STATICW, t.labelActiveWindowKey, label | SS_NOPREFIX, keys.left + 8, keys.top + 56, 233, 12);
    c.activeWindowKey =
        CreateChild(HOTKEY_CLASSW, L"", WS_VISIBLE | WS_TABSTOP, keys.left + 8, keys.top + 70, 160, 20, nullptr, id++);
    for (HWND key : {c.pointerWindowKey, c.activeWindowKey})
        SendMessageW(key, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    c.startWithWindows =
        CreateChild(WC_BUTTONW, t.checkStartWithWindows, check, keys.left + 8, keys.top + 106, 241, 17, nullptr, id++);

    c.ok = CreateChild(WC_BUTTONW, t.buttonOk, button, kClientWidth - 166, kButtonsTop, 75, 25, nullptr, id++);
    c.cancel = CreateChild(WC_BUTTONW, t.buttonCancel, button, kClientWidth - 85, kButtonsTop, 75, 25, nullptr, id++);
}

std::optional<core::Settings> OptionsDialog::Edit(const core::Settings& settings) {
    shown_ = settings;
    Show(settings);
    EnableDelay();
    EnableAutoSave();
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
    SetTicked(controls_.printWindow, s.print_window);
    SetTicked(controls_.autoSave, s.auto_save);
    SetWindowTextW(controls_.autoSaveFolder, s.auto_save_folder.c_str());
    for (size_t i = 0; i < core::kImageFormats.size(); ++i)
        if (core::kImageFormats[i].format == s.auto_save_format)
            SendMessageW(controls_.autoSaveFormat, CB_SETCURSEL, i, 0);
    SetWindowTextW(controls_.autoSaveName, s.auto_save_name.c_str());
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
    s.print_window = Ticked(controls_.printWindow);
    s.auto_save = Ticked(controls_.autoSave);
    s.auto_save_folder = WideText(controls_.autoSaveFolder);
    const LRESULT format = SendMessageW(controls_.autoSaveFormat, CB_GETCURSEL, 0, 0);
    if (format >= 0 && static_cast<size_t>(format) < core::kImageFormats.size())
        s.auto_save_format = core::kImageFormats[static_cast<size_t>(format)].format;
    // An empty pattern would name every file "_": the default instead.
    const std::wstring name = WideText(controls_.autoSaveName);
    s.auto_save_name = name.empty() ? core::kDefaultAutoSaveName : name;
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

void OptionsDialog::EnableAutoSave() {
    const bool on = Ticked(controls_.autoSave);
    for (HWND control : {controls_.autoSaveFolder, controls_.browse, controls_.autoSaveFormat, controls_.autoSaveName})
        EnableWindow(control, on);
}

bool OptionsDialog::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        // No default and no cancel button: Enter presses the focused button and nothing else,
        // Escape does nothing.
        HWND focus = GetFocus();
        if (msg.wParam == VK_RETURN &&
            (focus == controls_.ok || focus == controls_.cancel || focus == controls_.browse))
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
            else if (control == controls_.autoSave)
                EnableAutoSave();
            else if (control == controls_.browse) {
                if (auto folder = ChooseFolder(Handle(), WideText(controls_.autoSaveFolder)))
                    SetWindowTextW(controls_.autoSaveFolder, folder->c_str());
            } else if (control == controls_.ok) {
                if (OnApply) OnApply(Read(shown_), StartWithWindows());
                SetModalResult(kModalOk);
            } else if (control == controls_.cancel) {
                SetModalResult(kModalCancel);
            }
        }
        return 0;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

} // namespace kelpix
