#include "services/startup_entry.h"

#include "core/file_names.h"
#include "services/texts.h"
#include "toolkit/error.h"

#include <windows.h>

namespace kelpix {

namespace {

// The Run key, opened for reading or writing; closed when it goes.
class RunKey {
public:
    explicit RunKey(REGSAM access) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, access, nullptr, &key_, nullptr) !=
            ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~RunKey() {
        if (key_) RegCloseKey(key_);
    }
    RunKey(const RunKey&) = delete;
    RunKey& operator=(const RunKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

[[noreturn]] void Refused() {
    throw Error(Texts().startupEntryFailed);
}

} // namespace

std::wstring StartupCommand(const std::wstring& exePath) {
    return L"\"" + exePath + L"\"";
}

std::optional<std::wstring> ReadStartupEntry() {
    RunKey key(KEY_QUERY_VALUE);
    if (!key.get()) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), kRunValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    text.resize(size / sizeof(wchar_t));
    // The stored string may or may not end in its terminating null.
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

void SetStartWithWindows(bool on, const std::wstring& exePath) {
    RunKey key(KEY_SET_VALUE);
    if (!key.get()) Refused();
    if (!on) {
        const LSTATUS removed = RegDeleteValueW(key.get(), kRunValueName);
        if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) Refused();
        return;
    }
    const std::wstring command = StartupCommand(exePath);
    if (RegSetValueExW(key.get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        Refused();
}

bool UpdateStartupEntry(const std::wstring& exePath) {
    const std::optional<std::wstring> entry = ReadStartupEntry();
    if (!entry) return false;
    // Paths differ in case only when they name the same file.
    const std::wstring named = core::ProgramOfCommand(*entry);
    if (CompareStringOrdinal(named.c_str(), -1, exePath.c_str(), -1, TRUE) == CSTR_EQUAL) return false;
    // Another copy (the 32-bit one, one in another folder) that was chosen to start stays chosen
    // while it exists; only a program that has gone (moved) is replaced by this one.
    if (!named.empty() && GetFileAttributesW(named.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    SetStartWithWindows(true, exePath);
    return true;
}

} // namespace kelpix
