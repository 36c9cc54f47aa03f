#include "services/late_library.h"

#include "services/texts.h"
#include "toolkit/error.h"

namespace kelpix {

FARPROC LateFunction(const wchar_t* library, const char* name) {
    // Loaded once and kept: a system library is never unloaded while the program runs.
    HMODULE module = GetModuleHandleW(library);
    if (!module) module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) module = LoadLibraryW(library); // systems without the search flags
    return module ? GetProcAddress(module, name) : nullptr;
}

FARPROC RequireLateFunction(const wchar_t* library, const char* name) {
    if (FARPROC function = LateFunction(library, name)) return function;
    throw FormatError(Texts().libraryMissingFormat, {library});
}

HookLibrary LoadHookLibrary(const std::wstring& path) {
    HookLibrary hook;
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) return hook;
    hook.install = reinterpret_cast<decltype(hook.install)>(
        reinterpret_cast<void*>(GetProcAddress(module, "InstallHook_CallWndProc")));
    hook.uninstall = reinterpret_cast<decltype(hook.uninstall)>(
        reinterpret_cast<void*>(GetProcAddress(module, "UnInstallHook_CallWndProc")));
    if (!hook.install || !hook.uninstall) {
        FreeLibrary(module);
        return {};
    }
    return hook;
}

} // namespace kelpix
