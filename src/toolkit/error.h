// Errors that a command handler raises to end the command; the form's message dispatch shows
// them in the standard error box and the program goes on.
#pragma once
#include "toolkit/unicode.h"

#include <initializer_list>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelpix {

class Error : public std::runtime_error {
public:
    // The message as the user reads it; what() has it in UTF-8.
    explicit Error(std::wstring message);
    const std::wstring& Message() const { return message_; }

private:
    std::wstring message_;
};

// An Error from one of the program's formats ("%s", "%d") and its values (see core::FillIn).
[[nodiscard]] Error FormatError(std::wstring_view format, std::initializer_list<std::wstring_view> values);

// The standard error box: text ("." added when its last character sorts after "."), the
// application's title as caption, error icon, OK.
void ShowErrorBox(const std::wstring& message);

// What the standard error box says when memory ran out; the program sets it in its own language.
void SetOutOfMemoryMessage(const wchar_t* message);
const wchar_t* OutOfMemoryMessage();

// Runs f and shows any exception it raises in the standard error box. Returns false if it failed.
template <typename F> bool GuardedCall(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (const std::bad_alloc&) {
        ShowErrorBox(OutOfMemoryMessage());
    } catch (const Error& e) {
        ShowErrorBox(e.Message());
    } catch (const std::exception& e) {
        ShowErrorBox(FromUtf8(e.what()));
    } catch (...) {
        ShowErrorBox(L"Unknown error");
    }
    return false;
}

} // namespace kelpix
