// Every text the program shows, in Japanese and in English: one table per language, chosen once at
// start-up from the user's setting or, by default, from the user's UI language. The texts are wide
// (UTF-16 on Windows), so they read right under every ANSI code page.
#pragma once

#include "core/text_table.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kelpix::core {

// The language setting, as the settings file stores it.
enum class Language : int32_t {
    Automatic = 0, // Japanese where the user's UI language is Japanese, English elsewhere
    Japanese = 1,
    English = 2,
};

// The language to show for the setting, given the user's UI language (a Windows LANGID).
Language LanguageToShow(Language setting, uint16_t userUiLanguage);

// The names of the languages as the language choice shows them, whatever language is shown.
inline constexpr const wchar_t* kJapaneseName = L"日本語";
inline constexpr const wchar_t* kEnglishName = L"English";

// The table of a shown language (Japanese or English; Automatic gives Japanese).
const TextTable& TextsIn(Language shown);

// The format with each "%s" and "%d" replaced by the next value, in order, and "%%" by "%". A
// placeholder without a value is left out.
std::wstring FillIn(std::wstring_view format, std::initializer_list<std::wstring_view> values);

// The standard error box's text: a "." is added when the last character sorts after ".".
std::wstring ErrorBoxText(std::wstring_view message);

} // namespace kelpix::core
