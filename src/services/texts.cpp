#include "services/texts.h"

#include "toolkit/application.h"
#include "toolkit/error.h"

#include <windows.h>

namespace kelpix {

namespace {
core::Language g_shown = core::Language::Japanese;
}

const core::TextTable& Texts() {
    return core::TextsIn(g_shown);
}

core::Language ShownLanguage() {
    return g_shown;
}

void ShowLanguage(core::Language shown) {
    g_shown = shown;
    SetOutOfMemoryMessage(Texts().outOfMemory);
    if (shown == core::Language::Japanese) {
        Application::Get().SetFormFont({L"ＭＳ Ｐゴシック", SHIFTJIS_CHARSET});
        return;
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    const bool known = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) &&
                       metrics.lfMessageFont.lfFaceName[0] != L'\0';
    Application::Get().SetFormFont({known ? metrics.lfMessageFont.lfFaceName : L"Tahoma", DEFAULT_CHARSET});
}

core::Language LanguageFor(core::Language setting) {
    return core::LanguageToShow(setting, GetUserDefaultUILanguage());
}

} // namespace kelpix
