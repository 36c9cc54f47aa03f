// Starting with Windows: the value "Kelpix" under HKEY_CURRENT_USER's Run key, holding the
// program's full path in quotes. The registry is the only record of the choice: the settings file
// keeps no copy of it.
#pragma once
#include <optional>
#include <string>

namespace kelpix {

inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"Kelpix";

// What the value holds for the program at exePath: the path in quotes.
std::wstring StartupCommand(const std::wstring& exePath);

// The value's text; nothing when there is no value.
std::optional<std::wstring> ReadStartupEntry();

// Writes the value for the program at exePath (on), or removes it (off; no value is no error). A
// refused change raises "Windows の起動時に起動する設定を変更できません".
void SetStartWithWindows(bool on, const std::wstring& exePath);

// At start-up: a value that names a program that no longer exists (the folder was moved) is made to
// name this one. A value naming another program that exists (another copy of Kelpix) is left as it
// is; without a value nothing is written. Returns whether it wrote.
bool UpdateStartupEntry(const std::wstring& exePath);

} // namespace kelpix
