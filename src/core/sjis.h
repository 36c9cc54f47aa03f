// Shift-JIS (code page 932) character stepping, for texts the program shows or takes apart.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace kelpix::core {

// True for a byte that starts a double-byte character in code page 932.
constexpr bool IsSjisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Offset of the first byte of the last character of text (text.size() when empty). A lead byte
// at the very end counts as a character of its own.
std::size_t LastCharOffset(std::string_view text);

// The standard error box's text: a "." is added when the last character sorts after "."
// (for a double-byte character its first byte is compared).
std::string ErrorBoxText(std::string_view message);

} // namespace kelpix::core
