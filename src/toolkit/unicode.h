// The program's texts and paths are wide (UTF-16). Conversions for the few places that need bytes.
#pragma once
#include <string>
#include <string_view>

namespace kelpix {

// UTF-8 from and to the wide form (for exception messages and diagnostics).
std::string Utf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// Whether the text survives the round trip through the system's ANSI code page unchanged, as
// programs and files that know only that code page need.
bool FitsAnsiCodePage(std::wstring_view text);

} // namespace kelpix
