// What the user chose, and one row per setting that says how the settings file, the session trace
// and the options dialog hold it. A new setting is a member of Settings and a row (settings.cpp).
#pragma once

#include "core/auto_save_names.h"
#include "core/image_format.h"
#include "core/shortcut_keys.h"
#include "core/texts.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <variant>

namespace kelpix::core {

// The delays the main window's arrows and the options dialog offer. A settings file written by hand
// may hold another: a countdown then starts from the shortest.
inline constexpr int32_t kShortestDelay = 1, kLongestDelay = 99;

// The session trace names the members in the order they are declared here.
struct Settings {
    bool close_to_tray = false;   // closing the main window stores it in the notification area
    bool start_in_tray = false;   // start stored in the notification area
    bool restore_toggles = false; // the toggles are written back when changed, and read at start-up
    bool draw_cursor = false;     // draw the mouse cursor into captures
    bool delayed_capture = false; // count down before a grab
    int32_t delay_seconds = 1;
    std::wstring save_folder; // the folder last saved to
    Language language = Language::Automatic;
    // Every capture that gives an image is also written to a folder of its own.
    bool auto_save = false;
    std::wstring auto_save_folder; // empty: the user's Pictures folder, in "Kelpix"
    ImageFormat auto_save_format = ImageFormat::Png;
    std::wstring auto_save_name = kDefaultAutoSaveName; // the name pattern (core/auto_save_names.h)

    bool edit_after_capture = false; // the markup editor opens on every capture
    bool copy_as_file = false;       // every copy also puts the image's file on the clipboard
    // The outside of the window's shape (rounded corners, a region) transparent in PNG, white elsewhere.
    bool shape_mask = true;

    // --- The parts that other windows cover
    bool print_window = false; // a top-level target is printed by itself rather than copied from the screen

    // --- Global shortcut keys (0: none)
    uint16_t pointer_window_key = kDefaultPointerWindowKey; // captures the window under the pointer
    uint16_t active_window_key = kDefaultActiveWindowKey;   // captures the foreground window

    friend bool operator==(const Settings&, const Settings&) = default;
};

// The member a setting is kept in.
using SettingMember = std::variant<bool Settings::*, int32_t Settings::*, std::wstring Settings::*,
                                   Language Settings::*, ImageFormat Settings::*, uint16_t Settings::*>;

// How the settings file's value reads. Numbers follow core/text_to_int.h, and a value that is no
// integer is 0. A toggle is 1 for any number but 0, and its default when absent or empty. A number or a choice (the
// language, the image format) outside the row's range reads as its default. A text that is empty or absent reads as its
// default. A shortcut key that is absent reads as its default, and one that is no key as none.
struct FileRule {
    bool toggle = false; // read only when the file says to restore the toggles (restore_toggles)
    int32_t lowest = INT32_MIN, highest = INT32_MAX;
};
inline constexpr FileRule kToggle{.toggle = true};

// The kinds of control the options dialog shows a setting with.
enum class SettingControl {
    None,         // not in the dialog: OK keeps it as it was
    CheckBox,     // the label is the box's text
    NumberField,  // the label, a unit, stands after the field
    LanguageList, // automatic, then the languages in the order of Language's values
    FormatList,   // the image formats in the order of kImageFormats
    TextField,    // an empty field reads as the default
    FolderField,  // a text field with a browse button after it
    HotKey,       // the system's hot-key control
};

// Designed at 96 DPI, in the dialog's client area; a list's height is that of the list dropped down.
struct ControlPlace {
    int x, y, w, h;
};

struct SettingInDialog {
    SettingControl control = SettingControl::None;
    const wchar_t* TextTable::*label = nullptr; // a box's text; another control's label, placed at labelPlace
    ControlPlace place{}, labelPlace{};
    bool Settings::*enabledBy = nullptr; // the box that enables the control while it is ticked
};

struct SettingRow {
    const char* traceName;  // in the session trace
    const wchar_t* fileKey; // in the settings file's section [Option]
    SettingMember member;
    FileRule file;
    SettingInDialog dialog;
};

// Every setting, in the order of the settings file's keys, which is also the dialog's tab order.
std::span<const SettingRow> SettingRows();

// The settings a file holds, given the text of each key (empty where the file has none).
Settings SettingsFromFile(const std::function<std::wstring(const wchar_t* key)>& textOf);
// The text the file holds for a setting.
std::wstring FileText(const SettingRow& row, const Settings& settings);

} // namespace kelpix::core
