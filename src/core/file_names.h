// File-name rules for ANSI (code page 932, Shift-JIS) path strings.
//
// Paths are byte strings. They are read character by character: a lead byte (0x81-0x9F, 0xE0-0xFC)
// and the byte after it form one double-byte character, so a second byte that happens to equal
// "\" (0x5C), ":" or "." is never taken for a separator. A lead byte at the very end of the text
// stands alone.
#pragma once

#include "core/sjis.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kelpix::core {

// `path` with its extension replaced by `ext` (which carries its own "."). The extension is
// everything from the last "." that comes after the last "\" or ":"; a name without one gets `ext`
// appended. "C:\pics\shot.png" with ".bmp" gives "C:\pics\shot.bmp"; "C:\my.pics\shot" gives
// "C:\my.pics\shot.bmp".
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// The folder part of `path`: everything up to and including its last "\" or ":", or "" when there
// is neither.
std::string ExtractFilePath(std::string_view path);

// A file dialog's filter from its written form "name|pattern|name|pattern": each "|" becomes a NUL
// and a second NUL ends the list, as the common dialogs take it. A "|" that is the second byte of a
// double-byte character stays. "Bitmap|*.bmp" gives "Bitmap\0*.bmp\0\0".
std::string DialogFilter(std::string_view written);

// The settings file that belongs to the executable at `exePath`: the same path with the extension
// ".ini". "D:\Apps\grab.exe" gives "D:\Apps\grab.ini".
std::string SettingsFilePath(std::string_view exePath);

} // namespace kelpix::core
