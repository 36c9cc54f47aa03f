// The capture session's events and actions as lines of text, one each, so that what a run of the
// program gave the session and got back can be written down and played again without Windows:
//
//   settings close_to_tray=0 start_in_tray=0 ... (the settings the session started with)
//   > Released scene.target=10,10,200,150 scene.main_window=0,0,0,0 ... scene.compositor=0
//   < ShowNormalCursor
//   < StopTimer timer=Cooldown
//
// An event ("> ") names every field; an action ("< ") names its timer or tray icon and the fields
// that differ from an empty action's. Texts (folders, name patterns) are written as UTF-16 code
// units in hexadecimal; windows as the numbers of the run that wrote the trace.
#pragma once

#include "core/capture_session.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelpix::core {

std::string TraceLine(const Event& event);       // "> ..."
std::string TraceLine(const Action& action);     // "< ..."
std::string TraceLine(const Settings& settings); // "settings ..."

// What a line written above holds; nothing for a line of another kind or one that does not read.
std::optional<Event> EventFromTrace(std::string_view line);
std::optional<Settings> SettingsFromTrace(std::string_view line);

} // namespace kelpix::core
