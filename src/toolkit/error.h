// Errors that a command handler raises to end the command; the form's message dispatch shows
// them in the standard error box and the program goes on.
#pragma once
#include <string>
#include <stdexcept>

namespace kelpix {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// Builds an Error from a printf-style format (the format and arguments are Shift-JIS).
[[nodiscard]] Error FormatError(const char* format, ...);

// The standard error box: text ("." added when its last character sorts after "."), the
// application's title as caption, error icon, OK.
void ShowErrorBox(const char* message);

// Runs f and shows any exception it raises in the standard error box. Returns false if it failed.
template <typename F> bool GuardedCall(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
    } catch (...) {
        ShowErrorBox("Unknown error");
    }
    return false;
}

} // namespace kelpix
