#include "core/text_to_int.h"

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace kelpix::core {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

const std::string kFullWidthSpace = "\x81\x40";

using Cases = std::vector<std::pair<std::string, std::optional<int32_t>>>;

void ExpectParsed(const Cases& cases) {
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseInt(text), expected) << '"' << text << '"';
}

TEST(TextToInt, SettingsFileAndDelayFieldValues) {
    // INI values fall back to 0, the delay field to 1; a readable value wins over either fallback.
    for (auto [text, value] : {std::pair{"2", 2},
                               {"yes", 0},
                               {"0x1", 1},
                               {"$1E", 30},
                               {"-4", -4},
                               {"150", 150},
                               {"5s", 0},
                               {"", 0},
                               {"0", 0}}) {
        EXPECT_EQ(TextToInt(text, 0), value) << text;
    }
    for (auto [text, value] : {std::pair{"", 1}, {"ab", 1}, {"0", 0}, {"-3", -3}, {"$F", 15}, {" 7", 7}, {"7 ", 1}}) {
        EXPECT_EQ(TextToInt(text, 1), value) << text;
    }
    EXPECT_EQ(TextToInt("0", 7), 0);
}

TEST(TextToInt, WideTextReadsAsItsAsciiAndAnyOtherCharacterMakesItUnreadable) {
    // U+0132 and U+FF12 end in the byte of "2": cut to a byte, either would read as a digit.
    for (auto [text, value] : {std::pair<std::wstring_view, int32_t>{L"$1E", 30},
                               {L" -4", -4},
                               {L"\u0132", 7},
                               {L"1\uFF12", 7},
                               {L"\uFF14\uFF12", 7},
                               {std::wstring_view(L"1\0", 2), 7},
                               {L"", 7}}) {
        EXPECT_EQ(TextToInt(text, 7), value) << text.size();
    }
}

TEST(ParseInt, BlanksAndSigns) {
    ExpectParsed({{"   42", 42},
                  {" -42", -42},
                  {"  $10", 16},
                  {"+5", 5},
                  {"-0", 0},
                  // only the space character is a blank, and only before the sign
                  {"\t42", std::nullopt},
                  {"\n42", std::nullopt},
                  {kFullWidthSpace + "42", std::nullopt},
                  {"- 4", std::nullopt},
                  {"$ 4", std::nullopt},
                  {"4 ", std::nullopt},
                  {"4 2", std::nullopt},
                  {" ", std::nullopt},
                  // a sign needs digits, and there is only one
                  {"+", std::nullopt},
                  {"-", std::nullopt},
                  {"--1", std::nullopt},
                  {"+-1", std::nullopt},
                  {"1-", std::nullopt}});
}

TEST(ParseInt, DecimalRangeIsSigned32Bit) {
    ExpectParsed({{std::to_string(kMax), kMax},
                  {std::to_string(kMin), kMin},
                  {std::to_string(int64_t{kMax} + 1), std::nullopt},
                  {std::to_string(int64_t{kMin} - 1), std::nullopt},
                  {"4294967297", std::nullopt},           // 1 after wrapping to 32 bits
                  {"18446744073709551617", std::nullopt}, // 1 after wrapping to 64 bits
                  {std::string(400, '9'), std::nullopt},
                  {std::string(40, '0') + "42", 42}, // leading zeros do not count against the range
                  {"-" + std::string(30, '0') + "2147483648", kMin}});
}

TEST(ParseInt, HexadecimalTakesOneToEightDigitsAfterEveryPrefix) {
    for (const std::string p : {"$", "x", "X", "0x", "0X"}) {
        SCOPED_TRACE(p);
        ExpectParsed({{p + "1F", 0x1F},
                      {p + "aBcDeF", 0xABCDEF},
                      {p + "7FFFFFFF", kMax},
                      {p + "00000001", 1},
                      {p + "000000001", std::nullopt}, // nine digits, even as leading zeros
                      {p + "100000000", std::nullopt},
                      {p, std::nullopt},
                      {p + "G", std::nullopt},
                      {p + "1 ", std::nullopt},
                      {p + "-1", std::nullopt}});
    }
    ExpectParsed({{"00x1", std::nullopt}, {"0xx1", std::nullopt}, {"$0x1", std::nullopt}, {"1x1", std::nullopt}});
}

TEST(ParseInt, HexadecimalIsA32BitPatternAndIgnoresTheSign) {
    ExpectParsed({{"$FFFFFFFF", -1},
                  {"$80000000", kMin},
                  {"0xFFFFFFFE", -2},
                  {"-$10", 16},
                  {"+$10", 16},
                  {" -x7FFFFFFF", kMax},
                  {"-$FFFFFFFF", -1}});
}

TEST(ParseInt, OtherTextIsRejected) {
    ExpectParsed({{"", std::nullopt},
                  {"1.0", std::nullopt},
                  {"1,000", std::nullopt},
                  {"1e3", std::nullopt},
                  {"0b1", std::nullopt},
                  {"\xEF\xBC\x91", std::nullopt}, // a full-width digit
                  // NUL bytes are characters like any other, not the end of the text
                  {std::string("12\0", 3), std::nullopt},
                  {std::string(1, '\0') + "12", std::nullopt}});
    // The settings reader may turn a leading "0x" of a value longer than two characters into "$"
    // before converting; that never changes the result.
    for (const char* rest : {"1", "FFFFFFFF", "123456789", "G", " 1", "-1", "$1", "x1"}) {
        EXPECT_EQ(ParseInt(std::string("0x") + rest), ParseInt(std::string("$") + rest)) << rest;
    }
}

} // namespace
} // namespace kelpix::core
