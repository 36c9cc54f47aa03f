#include "core/texts.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kelpix::core {
namespace {

// The texts of a table in declaration order.
std::vector<std::wstring> AllTexts(const TextTable& t) {
    static_assert(sizeof(TextTable) % sizeof(const wchar_t*) == 0);
    const auto* first = reinterpret_cast<const wchar_t* const*>(&t);
    return {first, first + sizeof(TextTable) / sizeof(const wchar_t*)};
}

// The placeholders of a format ("%s", "%d") in order, and the access keys ("&x") of a text.
std::wstring Placeholders(const std::wstring& text) {
    std::wstring found;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == L'%' && (text[i + 1] == L's' || text[i + 1] == L'd')) found += text[++i];
    return found;
}
int AccessKeys(const std::wstring& text) {
    int keys = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == L'&' && text[i + 1] != L'&') ++keys;
    return keys;
}

TEST(Texts, BothLanguagesHaveEveryTextWithTheSamePlaceholdersAndAccessKeys) {
    const std::vector<std::wstring> japanese = AllTexts(TextsIn(Language::Japanese));
    const std::vector<std::wstring> english = AllTexts(TextsIn(Language::English));
    ASSERT_EQ(japanese.size(), english.size());
    for (size_t i = 0; i < japanese.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "text " << i);
        EXPECT_FALSE(japanese[i].empty());
        EXPECT_FALSE(english[i].empty());
        EXPECT_EQ(Placeholders(japanese[i]), Placeholders(english[i]));
        EXPECT_EQ(std::count(japanese[i].begin(), japanese[i].end(), L'|'),
                  std::count(english[i].begin(), english[i].end(), L'|'))
            << "a list of another length";
        EXPECT_LE(AccessKeys(english[i]), 1);
        for (wchar_t c : english[i])
            EXPECT_LT(c, 0x80) << "English texts are plain ASCII";
    }
    EXPECT_EQ(TextsIn(Language::Japanese).menuFile, std::wstring(L"ファイル(&F)"));
    EXPECT_EQ(TextsIn(Language::English).menuFile, std::wstring(L"&File"));
}

TEST(Texts, EnglishMenusGiveEveryItemItsOwnAccessKey) {
    const TextTable& t = TextsIn(Language::English);
    const std::vector<std::vector<const wchar_t*>> menus = {
        {t.menuFile, t.menuView, t.menuTool, t.menuHelp},
        {t.menuSave, t.menuCopyAsFile, t.menuRecentCaptures, t.menuExit},
        {t.menuDefaultSize, t.menuTakeSizeBelow, t.menuTranslucent},
        {t.menuCaptureOwnArea, t.menuRecopy, t.menuEditImage, t.menuStoreInTray, t.menuOptions},
        {t.trayMenuShow, t.menuCopyAsFile, t.menuRecentCaptures, t.menuOptions, t.menuExit},
    };
    for (const auto& menu : menus) {
        std::map<wchar_t, int> keys;
        for (const std::wstring item : menu) {
            const size_t at = item.find(L'&');
            ASSERT_NE(at, std::wstring::npos);
            EXPECT_EQ(++keys[static_cast<wchar_t>(towlower(item[at + 1]))], 1) << "key used twice";
        }
    }
}

TEST(Texts, TheShownLanguageFollowsTheSettingOrTheUsersLanguage) {
    const struct {
        Language setting;
        uint16_t uiLanguage;
        Language shown;
    } rows[] = {
        {Language::Automatic, 0x0411, Language::Japanese}, // ja-JP
        {Language::Automatic, 0x0409, Language::English},  // en-US
        {Language::Automatic, 0x0407, Language::English},  // de-DE
        {Language::Automatic, 0x0412, Language::English},  // ko-KR
        {Language::Automatic, 0x0000, Language::English},  // unknown
        {Language::Japanese, 0x0409, Language::Japanese},  {Language::English, 0x0411, Language::English},
    };
    for (const auto& row : rows)
        EXPECT_EQ(LanguageToShow(row.setting, row.uiLanguage), row.shown) << std::hex << row.uiLanguage;
}

TEST(Texts, FillInAndTheErrorBoxFullStop) {
    EXPECT_EQ(FillIn(L"ファイル %s を作成できません", {L"D:\\😀\\a.bmp"}), L"ファイル D:\\😀\\a.bmp を作成できません");
    EXPECT_EQ(FillIn(L"Delay %d s", {L"12"}), L"Delay 12 s");
    EXPECT_EQ(FillIn(L"%s and %s", {L"a", L"%s"}), L"a and %s"); // a value is never read as a format
    EXPECT_EQ(FillIn(L"100%% %x %", {}), L"100% %x %");
    EXPECT_EQ(FillIn(L"[%s]", {}), L"[]");
    EXPECT_EQ(ErrorBoxText(L"cannot write"), L"cannot write.");
    EXPECT_EQ(ErrorBoxText(L"done."), L"done.");
    EXPECT_EQ(ErrorBoxText(L"really!"), L"really!"); // '!' sorts before '.'
    EXPECT_EQ(ErrorBoxText(L"メモリが不足しています"), L"メモリが不足しています.");
    EXPECT_EQ(ErrorBoxText(L""), L"");
}

} // namespace
} // namespace kelpix::core
