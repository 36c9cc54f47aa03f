#include "core/text_to_int.h"

#include <cstddef>
#include <string>

namespace kelpix::core {

namespace {

constexpr char kBlank = ' ';
constexpr int kMaxHexDigits = 8;

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the hexadecimal prefix at the start of `rest`, or 0 when there is none.
size_t HexPrefixLength(std::string_view rest) {
    if (rest.empty()) return 0;
    if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') return 1;
    if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) return 2;
    return 0;
}

std::optional<int32_t> ParseHexDigits(std::string_view digits) {
    if (digits.empty() || digits.size() > kMaxHexDigits) return std::nullopt;
    uint32_t pattern = 0;
    for (char c : digits) {
        int v = HexDigitValue(c);
        if (v < 0) return std::nullopt;
        pattern = (pattern << 4) | static_cast<uint32_t>(v);
    }
    return static_cast<int32_t>(pattern);
}

std::optional<int32_t> ParseDecimalDigits(std::string_view digits, bool negative) {
    if (digits.empty()) return std::nullopt;
    // The magnitude may reach 2^31 for a negative value; anything beyond that is out of range, so
    // accumulating in 64 bits and stopping early above the limit can never overflow.
    const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
    uint64_t magnitude = 0;
    for (char c : digits) {
        if (!IsDecimalDigit(c)) return std::nullopt;
        magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
        if (magnitude > limit) return std::nullopt; // out of range and unreadable text end alike
    }
    int64_t value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return static_cast<int32_t>(value);
}

} // namespace

std::optional<int32_t> ParseInt(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && text[pos] == kBlank)
        ++pos;

    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }

    std::string_view rest = text.substr(pos);
    if (size_t prefix = HexPrefixLength(rest)) return ParseHexDigits(rest.substr(prefix));
    return ParseDecimalDigits(rest, negative);
}

int32_t TextToInt(std::string_view text, int32_t fallback) {
    return ParseInt(text).value_or(fallback);
}

int32_t TextToInt(std::wstring_view text, int32_t fallback) {
    std::string ascii;
    for (wchar_t c : text) {
        if (static_cast<uint32_t>(c) >= 0x80) return fallback;
        ascii += static_cast<char>(c);
    }
    return TextToInt(ascii, fallback);
}

} // namespace kelpix::core
