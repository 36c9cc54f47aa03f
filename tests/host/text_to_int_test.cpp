#include "core/text_to_int.h"

#include <cinttypes>
#include <cstdio>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace kelpix::core {
namespace {

using std::nullopt;
using std::optional;

constexpr int32_t kIniDefault = 0;
constexpr int32_t kDelayDefault = 1;
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(TextToInt, IniValuesAsTheSettingsFileHoldsThem) {
    // Booleans are "not 0"; anything unreadable falls back to 0 and so to false.
    EXPECT_EQ(TextToInt("2", kIniDefault), 2);
    EXPECT_EQ(TextToInt("yes", kIniDefault), kIniDefault);
    EXPECT_EQ(TextToInt("0x1", kIniDefault), 1);
    EXPECT_EQ(TextToInt("1", kIniDefault), 1);
    EXPECT_EQ(TextToInt("0", kIniDefault), 0);
    // The delay is used as read, without a range check.
    EXPECT_EQ(TextToInt("$1E", kIniDefault), 30);
    EXPECT_EQ(TextToInt("-4", kIniDefault), -4);
    EXPECT_EQ(TextToInt("150", kIniDefault), 150);
    EXPECT_EQ(TextToInt("5s", kIniDefault), kIniDefault);
    EXPECT_EQ(TextToInt("", kIniDefault), kIniDefault);
}

TEST(TextToInt, DelayFieldFallsBackToOne) {
    EXPECT_EQ(TextToInt("", kDelayDefault), 1);
    EXPECT_EQ(TextToInt("ab", kDelayDefault), 1);
    EXPECT_EQ(TextToInt("0", kDelayDefault), 0);
    EXPECT_EQ(TextToInt("-3", kDelayDefault), -3);
    EXPECT_EQ(TextToInt("$F", kDelayDefault), 15);
    EXPECT_EQ(TextToInt(" 7", kDelayDefault), 7);
    EXPECT_EQ(TextToInt("7 ", kDelayDefault), 1);
    EXPECT_EQ(TextToInt("99", kDelayDefault), 99);
    // A readable value equal to some other caller's fallback is still the value.
    EXPECT_EQ(TextToInt("0", 7), 0);
    EXPECT_EQ(TextToInt("1", -1), 1);
}

TEST(ParseInt, OnlySpacesAreSkippedAndOnlyBeforeTheNumber) {
    EXPECT_EQ(ParseInt("   42"), optional<int32_t>(42));
    EXPECT_EQ(ParseInt(" -42"), optional<int32_t>(-42));
    EXPECT_EQ(ParseInt("  $10"), optional<int32_t>(16));
    EXPECT_EQ(ParseInt(" "), nullopt);
    EXPECT_EQ(ParseInt("    "), nullopt);
    EXPECT_EQ(ParseInt("\t42"), nullopt);
    EXPECT_EQ(ParseInt("\n42"), nullopt);
    EXPECT_EQ(ParseInt("\r42"), nullopt);
    EXPECT_EQ(ParseInt("\xA0"
                       "42"),
              nullopt); // no-break space in other code pages, a half-width katakana in 932
    EXPECT_EQ(ParseInt("\x81\x40"
                       "42"),
              nullopt); // full-width space
    EXPECT_EQ(ParseInt("- 4"), nullopt);
    EXPECT_EQ(ParseInt("$ 4"), nullopt);
    EXPECT_EQ(ParseInt("4 "), nullopt);
    EXPECT_EQ(ParseInt("4\t"), nullopt);
    EXPECT_EQ(ParseInt("4 2"), nullopt);
}

TEST(ParseInt, SignsNeedDigitsAfterThem) {
    EXPECT_EQ(ParseInt("+5"), optional<int32_t>(5));
    EXPECT_EQ(ParseInt("-0"), optional<int32_t>(0));
    EXPECT_EQ(ParseInt("+0"), optional<int32_t>(0));
    for (const char* text : {"+", "-", " -", "--1", "+-1", "-+1", "++1", "1-", "1+2"}) {
        EXPECT_EQ(ParseInt(text), nullopt) << '"' << text << '"';
    }
}

TEST(ParseInt, DecimalRangeIsSigned32Bit) {
    EXPECT_EQ(ParseInt(std::to_string(kMax)), optional<int32_t>(kMax));
    EXPECT_EQ(ParseInt(std::to_string(kMin)), optional<int32_t>(kMin));
    EXPECT_EQ(ParseInt("+" + std::to_string(kMax)), optional<int32_t>(kMax));
    EXPECT_EQ(ParseInt(std::to_string(int64_t{kMax} + 1)), nullopt);
    EXPECT_EQ(ParseInt(std::to_string(int64_t{kMin} - 1)), nullopt);
    EXPECT_EQ(ParseInt("4294967296"), nullopt);           // would wrap to 0 in 32 bits
    EXPECT_EQ(ParseInt("4294967297"), nullopt);           // would wrap to 1
    EXPECT_EQ(ParseInt("18446744073709551617"), nullopt); // would wrap to 1 in 64 bits
    EXPECT_EQ(ParseInt(std::string(400, '9')), nullopt);
    // Leading zeros do not count against the range.
    EXPECT_EQ(ParseInt(std::string(40, '0') + "42"), optional<int32_t>(42));
    EXPECT_EQ(ParseInt("-" + std::string(30, '0') + std::to_string(kMin).substr(1)), optional<int32_t>(kMin));
    EXPECT_EQ(ParseInt("007"), optional<int32_t>(7));
}

TEST(ParseInt, HexadecimalTakesOneToEightDigitsAfterEveryPrefix) {
    for (const char* prefix : {"$", "x", "X", "0x", "0X"}) {
        const std::string p = prefix;
        EXPECT_EQ(ParseInt(p + "1F"), optional<int32_t>(0x1F)) << p;
        EXPECT_EQ(ParseInt(p + "1f"), optional<int32_t>(0x1F)) << p;
        EXPECT_EQ(ParseInt(p + "aBcDeF"), optional<int32_t>(0xABCDEF)) << p;
        EXPECT_EQ(ParseInt(p + "0"), optional<int32_t>(0)) << p;
        EXPECT_EQ(ParseInt(p + "7FFFFFFF"), optional<int32_t>(kMax)) << p;
        EXPECT_EQ(ParseInt(p), nullopt) << p;
        EXPECT_EQ(ParseInt(p + "G"), nullopt) << p;
        EXPECT_EQ(ParseInt(p + "1G"), nullopt) << p;
        EXPECT_EQ(ParseInt(p + "1 "), nullopt) << p;
        EXPECT_EQ(ParseInt(p + "-1"), nullopt) << p;
        EXPECT_EQ(ParseInt(p + "$1"), nullopt) << p;
        // Eight digits are the most, even when the extra ones are leading zeros.
        EXPECT_EQ(ParseInt(p + "00000001"), optional<int32_t>(1)) << p;
        EXPECT_EQ(ParseInt(p + "000000001"), nullopt) << p;
        EXPECT_EQ(ParseInt(p + "100000000"), nullopt) << p;
    }
    EXPECT_EQ(ParseInt("0x"), nullopt);
    EXPECT_EQ(ParseInt("00x1"), nullopt);
    EXPECT_EQ(ParseInt("0xx1"), nullopt);
    EXPECT_EQ(ParseInt("$0x1"), nullopt);
    EXPECT_EQ(ParseInt("1x1"), nullopt);
    EXPECT_EQ(ParseInt("h1"), nullopt);
    EXPECT_EQ(ParseInt("1h"), nullopt);
}

TEST(ParseInt, HexadecimalIsA32BitPatternAndIgnoresTheSign) {
    EXPECT_EQ(ParseInt("$FFFFFFFF"), optional<int32_t>(-1));
    EXPECT_EQ(ParseInt("$80000000"), optional<int32_t>(kMin));
    EXPECT_EQ(ParseInt("0xFFFFFFFE"), optional<int32_t>(-2));
    EXPECT_EQ(ParseInt("-$10"), optional<int32_t>(16));
    EXPECT_EQ(ParseInt("+$10"), optional<int32_t>(16));
    EXPECT_EQ(ParseInt("-0x1E"), optional<int32_t>(30));
    EXPECT_EQ(ParseInt(" -x7FFFFFFF"), optional<int32_t>(kMax));
    EXPECT_EQ(ParseInt("-$FFFFFFFF"), optional<int32_t>(-1));
}

TEST(ParseInt, OtherTextIsRejected) {
    for (const char* text : {"", "abc", "1.0", "1,000", "1e3", "1_000", "0b1", "0o7", "true", "1L", "\xEF\xBC\x91"}) {
        EXPECT_EQ(ParseInt(text), nullopt) << '"' << text << '"';
    }
    // Embedded NUL bytes are characters like any other, not the end of the text.
    EXPECT_EQ(ParseInt(std::string_view("12\0", 3)), nullopt);
    EXPECT_EQ(ParseInt(std::string_view("\0"
                                        "12",
                                        3)),
              nullopt);
    EXPECT_EQ(ParseInt(std::string_view("$1\0", 3)), nullopt);
}

TEST(ParseInt, ReadsBackEveryFormattedValue) {
    // Values spread over the whole range, from a fixed linear congruential sequence, plus the ends.
    uint32_t state = 12345;
    std::vector<uint32_t> patterns = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x80000001, 9, 10, 99, 100};
    for (int i = 0; i < 2000; ++i) {
        state = state * 1664525u + 1013904223u;
        patterns.push_back(state >> (i % 32));
    }
    for (uint32_t pattern : patterns) {
        const auto value = static_cast<int32_t>(pattern);
        char hexUpper[16], hexLower[16];
        std::snprintf(hexUpper, sizeof hexUpper, "$%" PRIX32, pattern);
        std::snprintf(hexLower, sizeof hexLower, "0x%08" PRIx32, pattern);
        EXPECT_EQ(ParseInt(std::to_string(value)), optional<int32_t>(value));
        EXPECT_EQ(ParseInt(hexUpper), optional<int32_t>(value)) << hexUpper;
        EXPECT_EQ(ParseInt(hexLower), optional<int32_t>(value)) << hexLower;
    }
}

TEST(ParseInt, LeadingZeroXCanBeReadAsADollarSign) {
    // The settings reader may turn a leading "0x" of a value longer than two characters into "$"
    // before converting; that must never change the result.
    for (const char* rest : {"1", "1E", "FFFFFFFF", "123456789", "G", " 1", "-1", "$1", "x1", "7FFFFFFF "}) {
        const std::string withZeroX = std::string("0x") + rest;
        const std::string withDollar = std::string("$") + rest;
        EXPECT_EQ(ParseInt(withZeroX), ParseInt(withDollar)) << withZeroX;
    }
}

} // namespace
} // namespace kelpix::core
