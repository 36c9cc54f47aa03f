#include "toolkit/error.h"

#include "core/texts.h"
#include "toolkit/application.h"

#include <windows.h>

namespace kelpix {

Error::Error(std::wstring message) : std::runtime_error(Utf8(message)), message_(std::move(message)) {}

Error FormatError(std::wstring_view format, std::initializer_list<std::wstring_view> values) {
    return Error(core::FillIn(format, values));
}

namespace {
const wchar_t* g_outOfMemoryMessage = L"Out of memory";
}

void ShowErrorBox(const std::wstring& message) {
    Application& app = Application::Get();
    app.ShowMessage(core::ErrorBoxText(message).c_str(), app.Title().c_str(), MB_ICONERROR | MB_OK);
}

void SetOutOfMemoryMessage(const wchar_t* message) {
    g_outOfMemoryMessage = message;
}

const wchar_t* OutOfMemoryMessage() {
    return g_outOfMemoryMessage;
}

} // namespace kelpix
