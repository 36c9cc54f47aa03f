// File-name rules for ANSI path strings.
//
// Paths are byte strings in the code page the program runs under. They are read character by
// character: a lead byte of that code page (`lead`) and the byte after it form one double-byte
// character, so a second byte that happens to equal "\" (0x5C), ":" or "." is never taken for a
// separator. A lead byte at the very end of the text stands alone. Under a single-byte code page
// every byte is a character of its own.
#pragma once

#include "core/lead_bytes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kelpix::core {

// `path` with its extension replaced by `ext` (which carries its own "."). The extension is
// everything from the last "." that comes after the last "\" or ":"; a name without one gets `ext`
// appended. "C:\pics\shot.png" with ".bmp" gives "C:\pics\shot.bmp"; "C:\my.pics\shot" gives
// "C:\my.pics\shot.bmp".
std::string ChangeFileExt(std::string_view path, std::string_view ext, const LeadBytes& lead);

// The folder part of `path`: everything up to and including its last "\" or ":", or "" when there
// is neither.
std::string ExtractFilePath(std::string_view path, const LeadBytes& lead);

// A file dialog's filter from its written form "name|pattern|name|pattern": each "|" becomes a NUL
// and a second NUL ends the list, as the common dialogs take it. The written form is one of the
// program's own texts, which are Shift-JIS whatever the code page: a "|" that is the second byte of
// a Shift-JIS double-byte character stays. "Bitmap|*.bmp" gives "Bitmap\0*.bmp\0\0".
std::string DialogFilter(std::string_view written);

// A name for the new file that is written first and then takes `target`'s place: in the same
// folder, "~" and three hexadecimal digits picked by `attempt` (kTemporaryNames of them). Four
// characters, no more than the extension every saved name ends in (".bmp", ".jpg"), so the
// temporary path is never longer than the target's: a target within the platform's path limit
// never fails because of its temporary file.
inline constexpr uint32_t kTemporaryNames = 0x1000;
std::string TemporaryFileName(std::string_view target, uint32_t attempt, const LeadBytes& lead);

// The settings file that belongs to the executable at `exePath`: the same path with the extension
// ".ini". "D:\Apps\grab.exe" gives "D:\Apps\grab.ini".
std::string SettingsFilePath(std::string_view exePath, const LeadBytes& lead);

} // namespace kelpix::core
