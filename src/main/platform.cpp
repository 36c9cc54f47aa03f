#include "main/platform.h"

#include "kelpix_hook.h"

namespace kelpix {

PlatformCalls& Platform() {
    static PlatformCalls calls = [] {
        PlatformCalls c;
        c.installHook = &InstallHook_CallWndProc;
        c.uninstallHook = &UnInstallHook_CallWndProc;
        return c;
    }();
    return calls;
}

} // namespace kelpix
