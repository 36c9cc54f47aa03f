#include "core/auto_save_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <functional>
#include <vector>

namespace kelpix::core {
namespace {

const CaptureFacts kFacts{2026, 3, 7, 9, 5, 2, L"Report.txt - Notepad", L"notepad.exe", 7};

TEST(AutoSaveNames, PatternsFillInEveryTokenAndMakeASafeName) {
    const struct {
        std::wstring pattern, name; // the pattern, and the safe name it makes for kFacts
    } rows[] = {
        {kDefaultAutoSaveName, L"Kelpix_2026-03-07_09-05-02"},
        {L"<program>_<n>", L"notepad_007"},
        {L"<title>", L"Report.txt - Notepad"},
        {L"<n><n>", L"007007"},
        {L"<date> <unknown> <time", L"2026-03-07 _unknown_ _time"}, // only the tokens are replaced
        {L"a\\b/c:d*e?f\"g<h>i|j", L"a_b_c_d_e_f_g_h_i_j"},
        {L"tab\there\x01", L"tab_here_"},
        {L"ends in dots and spaces. .", L"ends in dots and spaces. _"},
        {L"\\/:*?", L"_____"}, // a title of nothing but forbidden characters
        {L"", L"_"},
        {L"CON", L"_CON"},
        {L"nul.txt", L"_nul.txt"},
        {L"com7", L"_com7"},
        {L"COM0", L"_COM0"},
        {L"NUL .png", L"_NUL .png"},   // Windows drops the spaces before the dot
        {L"aux  ", L"aux _"},          // the last space becomes "_": no device then
        {L"COM\u00B9", L"_COM\u00B9"}, // superscript one, two and three are port digits
        {L"lpt\u00B3.txt", L"_lpt\u00B3.txt"},
        {L"COM\u2074", L"COM\u2074"}, // superscript four is not
        {L"CONSOLE", L"CONSOLE"},
        {L"한국어 😀", L"한국어 😀"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(SafeFileName(ExpandNamePattern(row.pattern, kFacts)), row.name) << row.name.size();
    CaptureFacts big = kFacts;
    big.number = 12345;
    big.program = L"no extension";
    EXPECT_EQ(ExpandNamePattern(L"<program> <n>", big), L"no extension 12345");
}

TEST(AutoSaveNames, NumberedPathsFitTheLimitAndNeverCutACharacter) {
    const struct {
        const wchar_t* stem;
        uint32_t attempt;
        size_t longest;
        std::wstring path; // empty: none fits
    } rows[] = {
        {L"shot", 1, 260, L"D:\\p\\shot.png"},
        {L"shot", 2, 260, L"D:\\p\\shot (2).png"},
        {L"shot", 12, 260, L"D:\\p\\shot (12).png"},
        {L"shot", 1, 12, L"D:\\p\\sho.png"},   // cut to the limit, the extension kept
        {L"shot", 3, 14, L"D:\\p\\s (3).png"}, // and the number kept
        // A character outside the basic plane is two UTF-16 units, which stay together.
        {L"ab\xD83D\xDE00", 1, 12, L"D:\\p\\ab.png"},
        {L"a\xD83D\xDE00", 1, 11, L"D:\\p\\a.png"},
        {L"a\xD83D\xDE00", 1, 12, L"D:\\p\\a\xD83D\xDE00.png"},
        {L"\xD83D\xDE00", 1, 10, L""}, // not even one character fits
        {L"shot", 1, 9, L""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(NumberedPath(L"D:\\p\\", row.stem, L".png", row.attempt, row.longest), row.path)
            << row.attempt << " " << row.longest;
}

TEST(AutoSaveNames, TheFirstFreeNumberedNameSkipsTakenNamesInAnyCase) {
    const auto takenOf = [](std::vector<std::wstring> names) {
        return [names](std::wstring_view name) {
            for (std::wstring_view taken : names)
                if (std::equal(name.begin(), name.end(), taken.begin(), taken.end(),
                               [](wchar_t a, wchar_t b) { return std::towupper(a) == std::towupper(b); }))
                    return true;
            return false;
        };
    };
    const struct {
        std::function<bool(std::wstring_view)> taken;
        uint32_t from;
        size_t longest;
        std::wstring path;
        uint32_t attempt;
        bool tooLong;
    } rows[] = {
        {takenOf({}), 1, 260, L"D:\\p\\shot.png", 1, false},
        {takenOf({L"SHOT.PNG", L"shot (2).png"}), 1, 260, L"D:\\p\\shot (3).png", 3, false},
        {takenOf({}), 5, 260, L"D:\\p\\shot (5).png", 5, false}, // a name taken after the choice: go on
        {[](std::wstring_view) { return true; }, 1, 260, L"", 0, false},
        {takenOf({L"sh.png"}), 1, 11, L"", 0, true}, // "sh (2).png" no longer fits
    };
    for (const auto& row : rows) {
        const NumberedChoice choice =
            FirstFreeNumberedPath(L"D:\\p\\", L"shot", L".png", row.longest, row.taken, row.from);
        EXPECT_EQ(choice.path, row.path);
        EXPECT_EQ(choice.attempt, row.attempt);
        EXPECT_EQ(choice.tooLong, row.tooLong) << row.path.size();
    }
}

} // namespace
} // namespace kelpix::core
