// What the user chose, kept in the settings file under the names it has always used.
#pragma once

#include "core/auto_save_names.h"
#include "core/image_format.h"
#include "core/shortcut_keys.h"
#include "core/texts.h"

#include <cstdint>
#include <string>

namespace kelpix::core {

// The delays the main window's arrows and the options dialog offer. A settings file written by hand
// may hold another: a countdown then starts from the shortest.
inline constexpr int32_t kShortestDelay = 1, kLongestDelay = 99;

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

    // --- The parts that other windows cover
    bool print_window = false; // a top-level target is printed by itself rather than copied from the screen

    // --- Global shortcut keys (0: none)
    uint16_t pointer_window_key = kDefaultPointerWindowKey; // captures the window under the pointer
    uint16_t active_window_key = kDefaultActiveWindowKey;   // captures the foreground window

    friend bool operator==(const Settings&, const Settings&) = default;
};

} // namespace kelpix::core
