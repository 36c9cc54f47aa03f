#include "core/settings.h"

#include "core/text_to_int.h"

#include <type_traits>

namespace kelpix::core {

namespace {

using enum SettingControl;
using T = TextTable;
using S = Settings;

constexpr FileRule kLanguageNumbers{.lowest = 0, .highest = 2}, kFormatNumbers{.lowest = 1, .highest = 3};

// The dialog has two columns: on the left the program's settings, the capture's, the language and
// the parts that other windows cover; on the right the automatic save and the shortcut keys.
// clang-format off
const SettingRow kRows[] = {
    // trace name          file key              member                   file rule
    //   control       label                      place                 label place          enabled by
    {"close_to_tray",      L"CloseTask",         &S::close_to_tray,       {},
        {CheckBox,     &T::checkCloseToTray,      {16, 24, 233, 17}}},
    {"start_in_tray",      L"KidoTask",          &S::start_in_tray,       {},
        {CheckBox,     &T::checkStartInTray,      {16, 48, 233, 17}}},
    {"restore_toggles",    L"Fukugen",           &S::restore_toggles,     {},
        {CheckBox,     &T::checkRestoreToggles,   {16, 72, 233, 17}}},
    {"draw_cursor",        L"MouseCapture",      &S::draw_cursor,         kToggle,
        {CheckBox,     &T::checkDrawCursor,       {16, 120, 233, 17}}},
    {"delayed_capture",    L"TimeCapture",       &S::delayed_capture,     kToggle,
        {CheckBox,     &T::checkDelayedCapture,   {16, 144, 129, 17}}},
    {"delay_seconds",      L"Time",              &S::delay_seconds,       kToggle,
        {NumberField,  &T::secondsLater,          {155, 142, 41, 20},   {200, 147, 52, 12},  &S::delayed_capture}},
    {"save_folder",        L"SaveDir",           &S::save_folder},
    {"language",           L"Language",          &S::language,            kLanguageNumbers,
        {LanguageList, &T::languageLabel,         {96, 176, 120, 120},  {16, 180, 72, 12}}},
    // Keys newer files have; absent, each reads as its default, as files written before it existed do.
    {"print_window",       L"PrintWindow",       &S::print_window,        {},
        {CheckBox,     &T::checkPrintWindow,      {16, 204, 245, 17}}},
    {"auto_save",          L"AutoSave",          &S::auto_save,           {},
        {CheckBox,     &T::checkAutoSave,         {276, 24, 233, 17}}},
    {"auto_save_folder",   L"AutoSaveDir",       &S::auto_save_folder,    {},
        {FolderField,  &T::autoSaveFolderLabel,   {340, 46, 104, 20},   {276, 50, 62, 12},   &S::auto_save}},
    {"auto_save_format",   L"AutoSaveFormat",    &S::auto_save_format,    kFormatNumbers,
        {FormatList,   &T::autoSaveFormatLabel,   {340, 71, 72, 120},   {276, 75, 62, 12},   &S::auto_save}},
    {"auto_save_name",     L"AutoSaveName",      &S::auto_save_name,      {},
        {TextField,    &T::autoSaveNameLabel,     {340, 96, 169, 20},   {276, 100, 62, 12},  &S::auto_save}},
    {"pointer_window_key", L"PointerWindowKey",  &S::pointer_window_key,  {},
        {HotKey,       &T::labelPointerWindowKey, {276, 176, 160, 20},  {276, 162, 233, 12}}},
    {"active_window_key",  L"ActiveWindowKey",   &S::active_window_key,   {},
        {HotKey,       &T::labelActiveWindowKey,  {276, 216, 160, 20},  {276, 202, 233, 12}}},
    {"edit_after_capture", L"EditAfterCapture",  &S::edit_after_capture,  {},
        {CheckBox,     &T::checkEditAfterCapture, {16, 228, 245, 17}}},
    {"copy_as_file",       L"CopyAsFile",        &S::copy_as_file,        {},
        {CheckBox,     &T::checkCopyAsFile,       {16, 252, 245, 17}}},
    {"shape_mask",         L"ShapeMask",         &S::shape_mask,          {},
        {CheckBox,     &T::checkShapeMask,        {16, 276, 335, 17}}},
};
// clang-format on

// The rules are settings.h's (FileRule).
template <class T> void ReadFileValue(const SettingRow& row, std::wstring_view text, T& value) {
    const int32_t n = TextToInt(text, 0);
    if constexpr (std::is_same_v<T, std::wstring>) {
        if (!text.empty()) value = text;
    } else if constexpr (std::is_same_v<T, bool>) {
        // Absent or empty: the default (off for every toggle but the shape's, which files before it lack).
        if (!text.empty()) value = n != 0;
    } else if constexpr (std::is_same_v<T, uint16_t>) {
        if (!text.empty()) value = n > 0 && n <= 0xFFFF ? static_cast<uint16_t>(n) : 0;
    } else if (n >= row.file.lowest && n <= row.file.highest) {
        value = static_cast<T>(n);
    }
}

// Text as it is; a shortcut key in hexadecimal, where the modifiers (high byte) and the key (low
// byte) read apart; a toggle (0 or 1), a number or a choice in decimal.
template <class T> std::wstring TextOf(const T& value) {
    if constexpr (std::is_same_v<T, std::wstring>) {
        return value;
    } else if constexpr (std::is_same_v<T, uint16_t>) {
        std::wstring text = value ? L"0x" : L"0";
        for (int shift = 12; value && shift >= 0; shift -= 4)
            text += L"0123456789ABCDEF"[(value >> shift) & 0xF];
        return text;
    } else {
        return std::to_wstring(static_cast<int32_t>(value));
    }
}

} // namespace

std::span<const SettingRow> SettingRows() {
    return kRows;
}

Settings SettingsFromFile(const std::function<std::wstring(const wchar_t* key)>& textOf) {
    Settings settings;
    for (const SettingRow& row : kRows)
        if (!row.file.toggle || settings.restore_toggles)
            std::visit([&](auto member) { ReadFileValue(row, textOf(row.fileKey), settings.*member); }, row.member);
    return settings;
}

std::wstring FileText(const SettingRow& row, const Settings& settings) {
    return std::visit([&](auto member) { return TextOf(settings.*member); }, row.member);
}

} // namespace kelpix::core
