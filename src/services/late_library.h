// Functions of libraries that only some commands need, loaded when first called rather than with
// the program: the save dialog's, the shell's, COM's and the hook library's. Start-up then loads
// only what the first window needs.
#pragma once
#include <windows.h>

#include <string>

namespace kelpix {

// The function `name` of the system library `library` (from the system folder only, see
// toolkit/system_library.h); a library or function that cannot be had raises "<library> を読み込めません".
FARPROC RequireLateFunction(const wchar_t* library, const char* name);
template <typename F> F RequiredLateFunction(const wchar_t* library, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(RequireLateFunction(library, name)));
}

// The hook library beside the program (KELPIXDLL.DLL), loaded at the first drag from the
// notification-area icon; its two exports, null when it cannot be loaded.
struct HookLibrary {
    LONG(WINAPI* install)(LONG) = nullptr;
    LONG(WINAPI* uninstall)() = nullptr;
};
HookLibrary LoadHookLibrary(const std::wstring& path);

} // namespace kelpix
