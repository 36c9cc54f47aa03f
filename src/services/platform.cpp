#include "services/platform.h"

#include "services/late_library.h"
#include "toolkit/application.h"
#include "toolkit/system_library.h"

namespace kelpix {

namespace {

constexpr DWORD kExtendedFrameBounds = 9; // DWMWA_EXTENDED_FRAME_BOUNDS

template <class Function> Function LoadDwm(const char* name) {
    return SystemFunctionAs<Function>(L"dwmapi.dll", name);
}

uint32_t SystemBuild() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    static const auto getVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    return getVersion && getVersion(&info) == 0 ? info.dwBuildNumber : 0;
}

BOOL WINAPI NotifyIconWhenLoaded(DWORD message, PNOTIFYICONDATAW data) {
    // A shell without the call has no notification area: the icon is refused, as before one exists.
    static const auto notify = SystemFunctionAs<decltype(&Shell_NotifyIconW)>(L"shell32.dll", "Shell_NotifyIconW");
    return notify ? notify(message, data) : FALSE;
}

BOOL WINAPI SaveFileNameWhenLoaded(LPOPENFILENAMEW dialog) {
    return RequiredLateFunction<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW")(dialog);
}

// The hook library once it loaded; tried again at the next install while it cannot be loaded.
HookLibrary& LoadedHookLibrary() {
    static HookLibrary hook;
    static std::wstring loaded;
    if (!hook.install || loaded != Platform().hookLibrary) {
        loaded = Platform().hookLibrary;
        hook = LoadHookLibrary(loaded);
    }
    return hook;
}

LONG WINAPI InstallHookWhenLoaded(LONG reserved) {
    HookLibrary& hook = LoadedHookLibrary();
    return hook.install ? hook.install(reserved) : 0;
}

LONG WINAPI UninstallHookWhenLoaded() {
    HookLibrary& hook = LoadedHookLibrary();
    return hook.uninstall ? hook.uninstall() : 0;
}

} // namespace

PlatformCalls& Platform() {
    static PlatformCalls calls = [] {
        PlatformCalls c;
        c.notifyIcon = &NotifyIconWhenLoaded;
        c.installHook = &InstallHookWhenLoaded;
        c.uninstallHook = &UninstallHookWhenLoaded;
        c.hookLibrary = Application::ExeFolder() + L"KELPIXDLL.DLL";
        c.getSaveFileName = &SaveFileNameWhenLoaded;
        c.windowAttribute = LoadDwm<decltype(c.windowAttribute)>("DwmGetWindowAttribute");
        c.compositionEnabled = LoadDwm<decltype(c.compositionEnabled)>("DwmIsCompositionEnabled");
        c.flushCompositor = LoadDwm<decltype(c.flushCompositor)>("DwmFlush");
        c.windowsBuild = &SystemBuild;
        return c;
    }();
    return calls;
}

core::Rect VisibleBounds(HWND window) {
    RECT r{}; // a window that no longer exists reads as all zero
    if (!GetWindowRect(window, &r)) return {};
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) return RectOf(r);
    RECT visible{};
    auto attribute = Platform().windowAttribute;
    if (attribute && SUCCEEDED(attribute(window, kExtendedFrameBounds, &visible, sizeof visible)) &&
        visible.right > visible.left && visible.bottom > visible.top)
        return RectOf(visible);
    return RectOf(r);
}

core::Rect VirtualScreen() {
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool CompositorRuns() {
    BOOL enabled = FALSE;
    const PlatformCalls& calls = Platform();
    return calls.compositionEnabled && calls.flushCompositor && SUCCEEDED(calls.compositionEnabled(&enabled)) &&
           enabled;
}

void WaitForCompositor() {
    if (CompositorRuns()) Platform().flushCompositor();
}

bool PrimaryButtonDown() {
    // The key state is that of the physical buttons; with the buttons swapped the right one is primary.
    const int primary = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return Platform().getAsyncKeyState(primary) < 0;
}

} // namespace kelpix
