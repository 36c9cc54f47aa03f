// The texts of the language the program shows (the tables are in core/texts.h).
#pragma once
#include "core/texts.h"

namespace kelpix {

// The table of the language shown.
const core::TextTable& Texts();
core::Language ShownLanguage();

// Shows the language from now on: its texts, and the forms' font for it (the Japanese UI font for
// Japanese, the system's message font for English). Forms created before keep their font.
void ShowLanguage(core::Language shown);

// The language that the setting asks for on this system (Automatic: the user's UI language).
core::Language LanguageFor(core::Language setting);

} // namespace kelpix
