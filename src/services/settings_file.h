// The settings file: section "Option" of an INI file beside the executable, read once at start-up
// and written at the moments the user changes something (never at exit).
//
// The file is text in the system's ANSI code page, as it has always been, for as long as every
// value fits that code page. A save folder that does not (Korean or emoji names on a Japanese
// system, Japanese names on a Western one) turns the whole file into UTF-16 with a byte-order mark,
// the other form the system's profile functions read and write; it stays so from then on.
#pragma once
#include "core/settings.h"
#include "toolkit/error.h"

#include <optional>
#include <string>

namespace kelpix {

// The executable's path with ".ini" for its extension.
std::wstring DefaultSettingsPath();

// A file whose section is too long to be Kelpix's settings (over a million characters): it is not
// read, and the program never writes over it. The message says so.
class SettingsFileTooLarge : public Error {
public:
    explicit SettingsFileTooLarge(const Error& message) : Error(message.Message()) {}
};

// The file's settings; nothing when there is no file. A value that is not an integer reads as 0.
// The toggles (cursor, delay on, delay) are read only when the file says to restore them. Raises
// SettingsFileTooLarge.
std::optional<core::Settings> ReadSettingsFile(const std::wstring& path);

// Writes every key. A refused write raises "<path> に書き込めません".
void WriteSettingsFile(const std::wstring& path, const core::Settings& settings);

} // namespace kelpix
