#include "toolkit/error.h"

#include "core/sjis.h"
#include "toolkit/application.h"

#include <windows.h>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace kelpix {

Error FormatError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> buffer(n > 0 ? static_cast<std::size_t>(n) + 1 : 1, '\0');
    if (n > 0) std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    return Error(buffer.data());
}

namespace {
const char* g_outOfMemoryMessage = "Out of memory";
}

void ShowErrorBox(const char* message) {
    Application& app = Application::Get();
    std::string text = core::ErrorBoxText(message ? message : "");
    app.ShowMessage(text.c_str(), app.Title().c_str(), MB_ICONERROR | MB_OK);
}

void SetOutOfMemoryMessage(const char* message) {
    g_outOfMemoryMessage = message;
}

const char* OutOfMemoryMessage() {
    return g_outOfMemoryMessage;
}

} // namespace kelpix

