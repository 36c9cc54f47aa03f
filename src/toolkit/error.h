// Errors that a command handler raises to end the command; the form's message dispatch shows
// them in the standard error box and the program goes on.
#pragma once
#include <string>
#include <new>
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

// What the standard error box says when memory ran out; the program sets it in its own language.
void SetOutOfMemoryMessage(const char* message);
const char* OutOfMemoryMessage();

// Runs f and shows any exception it raises in the standard error box. Returns false if it failed.
template <typename F> bool GuardedCall(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (const std::bad_alloc&) {
        ShowErrorBox(OutOfMemoryMessage());
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
    } catch (...) {
        ShowErrorBox("Unknown error");
    }
    return false;
}

} // namespace kelpix
