// The settings file: section "Option" of an INI file beside the executable, read once at start-up
// and written at the moments the user changes something (never at exit).
#pragma once
#include "core/capture_session.h"

#include <optional>
#include <string>

namespace kelpix {

// The executable's path with ".ini" for its extension.
std::string DefaultSettingsPath();

// The file's settings; nothing when there is no file. A value that is not an integer reads as 0.
// The toggles (cursor, delay on, delay) are read only when the file says to restore them.
std::optional<core::Settings> ReadSettingsFile(const std::string& path);

// Writes all seven keys. A refused write raises "<path> に書き込めません".
void WriteSettingsFile(const std::string& path, const core::Settings& settings);

} // namespace kelpix
