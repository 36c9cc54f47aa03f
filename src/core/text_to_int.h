// Conversion of settings text (INI values, the delay field) to a signed 32-bit integer.
//
// Accepted text, and nothing else:
//   blanks*  sign?  ( decimal-digits | hex-prefix hex-digit{1,8} )
// where a blank is the space character (0x20) only, sign is "+" or "-", and hex-prefix is one of
// "$", "x", "X", "0x", "0X". The digits must run to the end of the text: trailing blanks, embedded
// NUL bytes or any other character make the text unreadable.
//
// A decimal value must lie within -2147483648..2147483647. Hexadecimal digits are a 32-bit pattern
// ("$FFFFFFFF" is -1, "$80000000" is -2147483648) and the sign has no effect on them ("-$10" is 16).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelpix::core {

// The value of the text, or std::nullopt when the text is not an integer by the rules above.
std::optional<int32_t> ParseInt(std::string_view text);

// The value of the text, or `fallback` when it is not an integer (0 for INI values, 1 for the delay field).
int32_t TextToInt(std::string_view text, int32_t fallback);
// The same for wide text (the settings file's values, a field's text): any character beyond ASCII
// makes it unreadable.
int32_t TextToInt(std::wstring_view text, int32_t fallback);

} // namespace kelpix::core
