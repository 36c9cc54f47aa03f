// File-name rules for the program's paths, which are UTF-16 (wide) strings: "\" and ":" separate
// the folders, and no code unit of another character can be taken for them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelpix::core {

// `path` with its extension replaced by `ext` (which carries its own "."). The extension is
// everything from the last "." that comes after the last "\" or ":"; a name without one gets `ext`
// appended. "C:\pics\shot.png" with ".bmp" gives "C:\pics\shot.bmp"; "C:\my.pics\shot" gives
// "C:\my.pics\shot.bmp".
std::wstring ChangeFileExt(std::wstring_view path, std::wstring_view ext);

// The folder part of `path`: everything up to and including its last "\" or ":", or "" when there
// is neither.
std::wstring ExtractFilePath(std::wstring_view path);

// A file dialog's filter from its written form "name|pattern|name|pattern": each "|" becomes a NUL
// and a second NUL ends the list, as the common dialogs take it. "Bitmap|*.bmp" gives
// "Bitmap\0*.bmp\0\0".
std::wstring DialogFilter(std::wstring_view written);

// A name for the new file that is written first and then takes `target`'s place: in the same
// folder, "~" and three hexadecimal digits picked by `attempt` (kTemporaryNames of them). Four
// characters, no more than the extension every saved name ends in (".bmp", ".jpg"), so the
// temporary path is never longer than the target's: a target within the platform's path limit
// never fails because of its temporary file.
inline constexpr uint32_t kTemporaryNames = 0x1000;
std::wstring TemporaryFileName(std::wstring_view target, uint32_t attempt);

// The settings file that belongs to the executable at `exePath`: the same path with the extension
// ".ini". "D:\Apps\grab.exe" gives "D:\Apps\grab.ini".
std::wstring SettingsFilePath(std::wstring_view exePath);

// The program a command line names, as Windows reads a Run value: the text between the first pair
// of quotes when it starts with one, else everything up to the first space. "\"C:\A b\k.exe\" /x"
// gives "C:\A b\k.exe".
std::wstring ProgramOfCommand(std::wstring_view command);

} // namespace kelpix::core
