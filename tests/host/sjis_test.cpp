#include "core/sjis.h"

#include <gtest/gtest.h>

using kelpix::core::ErrorBoxText;
using kelpix::core::LastCharOffset;

TEST(SjisText, LastCharacterStepsOverDoubleByteCharacters) {
    EXPECT_EQ(LastCharOffset(""), 0u);
    EXPECT_EQ(LastCharOffset("ab"), 1u);
    // "表" is 0x95 0x5C: its trail byte looks like a backslash but belongs to the character.
    EXPECT_EQ(LastCharOffset("a\x95\x5C"), 1u);
    // A half-width katakana (single byte 0xB1) after a double-byte character.
    EXPECT_EQ(LastCharOffset("\x82\xA0\xB1"), 2u);
    // A lead byte with nothing after it is a character of its own.
    EXPECT_EQ(LastCharOffset("ab\x82"), 2u);
}

TEST(SjisText, ErrorBoxAddsPeriodOnlyAfterCharactersSortingAfterIt) {
    EXPECT_EQ(ErrorBoxText("cannot write"), "cannot write.");
    EXPECT_EQ(ErrorBoxText("done."), "done.");
    EXPECT_EQ(ErrorBoxText("really!"), "really!");    // '!' sorts before '.'
    EXPECT_EQ(ErrorBoxText("path a\\b\\"), "path a\\b\\.");
    EXPECT_EQ(ErrorBoxText(""), "");
    // "ません" ends in a double-byte character whose lead byte 0x82 sorts after '.'.
    EXPECT_EQ(ErrorBoxText("\x82\xDC\x82\xB9\x82\xF1"), "\x82\xDC\x82\xB9\x82\xF1.");
}
