#include "toolkit/system_library.h"

#include <string>

namespace kelpix {

namespace {

constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

} // namespace

void SearchLibrariesInSystemFolderOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault) setDefault(kSearchSystem32);
    // Where that call is missing, the current folder at least leaves the search.
    SetDllDirectoryW(L"");
}

HMODULE SystemLibrary(const wchar_t* name) {
    // Loading again only counts the library once more: it is never unloaded while the program runs.
    if (HMODULE module = LoadLibraryExW(name, nullptr, kSearchSystem32)) return module;
    // Systems without the search flags refuse them: the full path in the system folder then.
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = SystemLibrary(library);
    return module ? GetProcAddress(module, name) : nullptr;
}

void AllowMessageFromAnyProgram(HWND window, UINT message) {
    using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    constexpr DWORD kAllow = 1; // MSGFLT_ALLOW
    static const auto filter = reinterpret_cast<FilterFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
    if (filter && window && message) filter(window, message, kAllow, nullptr);
}

} // namespace kelpix
