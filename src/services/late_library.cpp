#include "services/late_library.h"

#include "services/texts.h"
#include "toolkit/error.h"
#include "toolkit/system_library.h"

namespace kelpix {

FARPROC RequireLateFunction(const wchar_t* library, const char* name) {
    if (FARPROC function = SystemFunction(library, name)) return function;
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
