#include "ui/options_dialog.h"

#include "core/text_to_int.h"
#include "services/late_library.h"
#include "services/texts.h"

#include <commctrl.h>
#include <shlobj.h>

#include <optional>
#include <string>

namespace kelpix {

namespace {

using core::SettingControl;
using core::Settings;

// The settings' controls stand where their rows say; OK and Cancel below them, at the right.
constexpr int kClientWidth = 525;
constexpr int kButtonsTop = 280;
constexpr int kClientHeight = kButtonsTop + 32;

constexpr DWORD kCheckBoxStyle = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kButtonStyle = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kFieldStyle = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kListStyle = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kLabelStyle = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kGroupStyle = WS_VISIBLE | BS_GROUPBOX;

// The one number the dialog edits is the delay: its field takes two characters, and text that is
// no integer gives the shortest delay.
constexpr int kNumberFieldLength = 2;

// Control ids: never IDOK (1) or IDCANCEL (2), which the dialog manager sends for Enter and Escape.
enum ControlId : int { kFirstControlId = 100 };

// What the dialog shows besides the settings' controls: the group boxes, siblings of the controls
// drawn inside them so that the controls' notifications reach the dialog, and the tokens of the
// automatic save's names. Each is made just before the control of the setting it names.
struct Decoration {
    core::SettingMember before;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    core::ControlPlace at;
};

std::vector<Decoration> Decorations(const core::TextTable& t) {
    return {
        {&Settings::close_to_tray, WC_BUTTONW, t.groupEnvironment, kGroupStyle, {8, 8, 249, 89}},
        {&Settings::draw_cursor, WC_BUTTONW, t.groupOperation, kGroupStyle, {8, 104, 249, 65}},
        {&Settings::auto_save, WC_BUTTONW, t.groupAutoSave, kGroupStyle, {268, 8, 249, 130}},
        // Below the name pattern's field.
        {&Settings::pointer_window_key, WC_STATICW, core::kAutoSaveTokens, kLabelStyle, {276, 120, 233, 12}},
        {&Settings::pointer_window_key, WC_BUTTONW, t.groupShortcutKeys, kGroupStyle, {268, 146, 249, 98}},
    };
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

template <class... F> struct Overloaded : F... { using F::operator()...; };

// Calls f(control, member) for each setting the dialog shows.
template <class F> void ForEachShown(const std::vector<Control>& controls, F f) {
    const auto rows = core::SettingRows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (controls[i]) std::visit([&](auto member) { f(controls[i], member); }, rows[i].member);
}

} // namespace

OptionsDialog::OptionsDialog() {
    const core::TextTable& t = Texts();
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
    int id = kFirstControlId;
    const std::vector<Decoration> decorations = Decorations(t);
    for (const core::SettingRow& row : core::SettingRows()) {
        for (const auto& [before, className, text, style, at] : decorations)
            if (before == row.member) CreateChild(className, text, style, at.x, at.y, at.w, at.h);
        settingControls_.push_back(CreateSettingControl(row, id));
    }
    // Below the shortcut keys' box; OK and Cancel at the bottom right.
    startWithWindows_ =
        Control(CreateChild(WC_BUTTONW, t.checkStartWithWindows, kCheckBoxStyle, 276, 252, 241, 17, nullptr, id++));
    ok_ = Control(
        CreateChild(WC_BUTTONW, t.buttonOk, kButtonStyle, kClientWidth - 166, kButtonsTop, 75, 25, nullptr, id++));
    cancel_ = Control(
        CreateChild(WC_BUTTONW, t.buttonCancel, kButtonStyle, kClientWidth - 85, kButtonsTop, 75, 25, nullptr, id++));
}

Control OptionsDialog::CreateSettingControl(const core::SettingRow& row, int& id) {
    using enum SettingControl;
    const SettingControl kind = row.dialog.control;
    const auto [x, y, w, h] = row.dialog.place;
    const auto create = [&](const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle = 0) {
        return Control(CreateChild(className, text, style, x, y, w, h, nullptr, id++, exStyle));
    };
    const auto createLabel = [&] {
        const auto [labelX, labelY, labelW, labelH] = row.dialog.labelPlace;
        CreateChild(WC_STATICW, Texts().*row.dialog.label, kLabelStyle, labelX, labelY, labelW, labelH);
    };
    if (kind == None) return {};
    if (kind == CheckBox) return create(WC_BUTTONW, Texts().*row.dialog.label, kCheckBoxStyle);
    if (kind == NumberField) {
        const Control field = create(WC_EDITW, L"", kFieldStyle, WS_EX_CLIENTEDGE);
        field.Send(EM_LIMITTEXT, kNumberFieldLength);
        createLabel(); // the unit, after the field
        return field;
    }
    createLabel();
    if (kind == LanguageList || kind == FormatList) {
        const Control list = create(WC_COMBOBOXW, L"", kListStyle);
        const auto add = [&](const wchar_t* entry) { list.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry)); };
        if (kind == LanguageList)
            for (const wchar_t* entry : {Texts().languageAutomatic, core::kJapaneseName, core::kEnglishName})
                add(entry);
        else
            for (const core::ImageFormatRow& format : core::kImageFormats)
                add(format.choiceName);
        return list;
    }
    if (kind == HotKey) {
        // A key with no modifier, or with Shift alone, would take a key away from typing
        // everywhere: the control makes it Ctrl+Alt with that key.
        const Control key = create(HOTKEY_CLASSW, L"", WS_VISIBLE | WS_TABSTOP);
        key.Send(HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
        return key;
    }
    const Control field = create(WC_EDITW, L"", kFieldStyle, WS_EX_CLIENTEDGE);
    if (kind == FolderField) {
        // Empty, the field names the folder the captures then go to.
        field.Send(EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(Texts().autoSaveFolderDefault));
        browse_ = Control(
            CreateChild(WC_BUTTONW, Texts().browseButton, kButtonStyle, x + w + 4, y - 1, 61, 22, nullptr, id++));
        browsedFolder_ = field;
    }
    return field;
}

std::optional<core::Settings> OptionsDialog::Edit(const core::Settings& settings) {
    shown_ = settings;
    Show(settings);
    EnableByBoxes();
    if (ShowModal() != kModalOk) return std::nullopt;
    return Read(settings);
}

Control OptionsDialog::ControlFor(core::SettingMember member) const {
    const auto rows = core::SettingRows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].member == member) return settingControls_[i];
    return {};
}

void OptionsDialog::Show(const core::Settings& s) {
    const Overloaded show{
        [](Control box, bool ticked) { box.SetTicked(ticked); },
        [](Control field, int32_t number) { field.SetText(std::to_wstring(number)); },
        [](Control field, const std::wstring& text) { field.SetText(text); },
        [](Control list, core::Language language) { list.Choose(static_cast<int>(language)); },
        [](Control list, core::ImageFormat format) {
            for (size_t i = 0; i < core::kImageFormats.size(); ++i)
                if (core::kImageFormats[i].format == format) list.Choose(static_cast<int>(i));
        },
        [](Control key, uint16_t hotKey) { key.Send(HKM_SETHOTKEY, hotKey); },
    };
    ForEachShown(settingControls_, [&](Control control, auto member) { show(control, s.*member); });
}

// Also what a disabled control holds. A list with no entry chosen leaves the setting as it was, and
// an empty field gives the default (an empty name pattern would name every file "_").
core::Settings OptionsDialog::Read(core::Settings s) const {
    const Overloaded read{
        [](Control box, bool& ticked, bool) { ticked = box.Ticked(); },
        [](Control field, int32_t& number, int32_t) { number = core::TextToInt(field.Text(), core::kShortestDelay); },
        [](Control field, std::wstring& text, const std::wstring& byDefault) {
            text = field.Text();
            if (text.empty()) text = byDefault;
        },
        [](Control list, core::Language& language, core::Language) {
            if (const int entry = list.Chosen(); entry >= 0) language = static_cast<core::Language>(entry);
        },
        [](Control list, core::ImageFormat& format, core::ImageFormat) {
            if (const auto entry = static_cast<size_t>(list.Chosen()); entry < core::kImageFormats.size())
                format = core::kImageFormats[entry].format;
        },
        [](Control key, uint16_t& hotKey, uint16_t) { hotKey = static_cast<uint16_t>(key.Send(HKM_GETHOTKEY)); },
    };
    const core::Settings defaults;
    ForEachShown(settingControls_, [&](Control control, auto member) { read(control, s.*member, defaults.*member); });
    return s;
}

void OptionsDialog::ShowStartWithWindows(bool on) {
    startWithWindows_.SetTicked(on);
}

bool OptionsDialog::StartWithWindows() const {
    return startWithWindows_.Ticked();
}

void OptionsDialog::EnableByBoxes() {
    const auto rows = core::SettingRows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (bool Settings::*box = rows[i].dialog.enabledBy) settingControls_[i].Enable(ControlFor(box).Ticked());
    browse_.Enable(browsedFolder_.Enabled());
}

bool OptionsDialog::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        // No default and no cancel button: Enter presses the focused button and nothing else,
        // Escape does nothing.
        HWND focus = GetFocus();
        if (msg.wParam == VK_RETURN &&
            (focus == ok_.Handle() || focus == cancel_.Handle() || focus == browse_.Handle()))
            SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                         reinterpret_cast<LPARAM>(focus));
        return true;
    }
    return Form::PreTranslateMessage(msg);
}

LRESULT OptionsDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) {
        if (HIWORD(wParam) == BN_CLICKED) {
            const HWND control = reinterpret_cast<HWND>(lParam);
            if (control == browse_.Handle()) {
                if (auto folder = ChooseFolder(Handle(), browsedFolder_.Text())) browsedFolder_.SetText(*folder);
            } else if (control == ok_.Handle()) {
                if (OnApply) OnApply(Read(shown_), StartWithWindows());
                SetModalResult(kModalOk);
            } else if (control == cancel_.Handle()) {
                SetModalResult(kModalCancel);
            } else {
                EnableByBoxes(); // a box was ticked or cleared
            }
        }
        return 0;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

} // namespace kelpix
