#include "toolkit/application.h"

#include "core/file_names.h"

#include "toolkit/error.h"
#include "toolkit/form.h"
#include "toolkit/system_library.h"

#include <commctrl.h>
#include <utility>
#include <vector>

namespace kelpix {

namespace {
constexpr wchar_t kApplicationClass[] = L"TApplication";
}

namespace {

// GetDpiForMonitor comes with Windows 8.1's shcore.dll: loaded at run time, so that the program
// also starts where it is missing. With a single monitor, the application window lies on it, and
// user32 tells that window's DPI (Windows 10 and later) without the library being loaded at all.
int EffectiveMonitorDpi(POINT at) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (HWND onTheMonitor = Application::Get().Handle();
        getDpiForWindow && onTheMonitor && GetSystemMetrics(SM_CMONITORS) == 1)
        if (const UINT dpi = getDpiForWindow(onTheMonitor)) return static_cast<int>(dpi);
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor = SystemFunctionAs<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI
    if (getDpiForMonitor &&
        SUCCEEDED(getDpiForMonitor(MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY), kEffectiveDpi, &x, &y)) && y > 0)
        return static_cast<int>(y);
    return Application::Get().Dpi();
}

} // namespace

Application& Application::Get() {
    static Application app;
    return app;
}

void Application::Initialize(HINSTANCE instance) {
    instance_ = instance;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&icc);

    // The system's DPI, from user32 where it tells it (Windows 10 and later), which costs no device
    // context, or else from the screen's.
    using GetDpiForSystemFn = UINT(WINAPI*)();
    const auto getDpiForSystem = reinterpret_cast<GetDpiForSystemFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem")));
    dpi_ = getDpiForSystem ? static_cast<int>(getDpiForSystem()) : 0;
    if (dpi_ <= 0) {
        HDC screen = GetDC(nullptr);
        dpi_ = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen) ReleaseDC(nullptr, screen);
    }
    monitorDpi = &EffectiveMonitorDpi;

    // The title is the executable's file name without its extension.
    const std::wstring exe = ExePath();
    title_ = core::ChangeFileExt(exe.substr(core::ExtractFilePath(exe).size()), L"");

    icon_ = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                          GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR | LR_SHARED));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Application::WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kApplicationClass;
    RegisterClassExW(&wc);
    // Zero-sized and never drawn; it exists for the taskbar button and as owner of the forms.
    int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    handle_ = CreateWindowExW(0, kApplicationClass, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                              nullptr, nullptr, instance, nullptr);
    if (!handle_) throw Error(L"CreateWindow TApplication failed");
}

std::wstring Application::ExePath() {
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
        if (length < exe.size()) {
            exe.resize(length);
            return exe;
        }
        exe.resize(exe.size() * 2); // the name was cut: try a larger buffer
    }
}

std::wstring Application::ExeFolder() {
    return core::ExtractFilePath(ExePath());
}

void Application::Shutdown() {
    if (handle_) DestroyWindow(handle_);
    handle_ = nullptr;
    mainForm_ = nullptr;
}

bool Application::HandleMessage(MSG& msg) {
    if (msg.hwnd) {
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        if (auto* form = dynamic_cast<Form*>(Window::FromHandle(root)); form && form->PreTranslateMessage(msg))
            return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void Application::Run() {
    MSG msg;
    while (!terminated_) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        HandleMessage(msg);
    }
}

void Application::ProcessMessages() {
    MSG msg;
    while (!terminated_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        HandleMessage(msg);
    }
}

void Application::HandleOneMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        WaitMessage();
        return;
    }
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return;
    }
    HandleMessage(msg);
}

void Application::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    PostQuitMessage(0);
}

void Application::Reset() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    terminated_ = false;
}

void Application::SetScreenCursor(HCURSOR cursor) {
    screenCursor_ = cursor;
    if (cursor) {
        SetCursor(cursor);
        return;
    }
    // The window under the pointer chooses again, as if the pointer had just moved onto it.
    POINT at{};
    GetCursorPos(&at);
    HWND under = WindowFromPoint(at);
    if (under && GetWindowThreadProcessId(under, nullptr) == GetCurrentThreadId()) {
        LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
    } else {
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
    }
}

namespace {

BOOL CALLBACK CollectEnabledWindow(HWND wnd, LPARAM param) {
    auto* scope = reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(param);
    if (wnd != scope->first && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) scope->second->push_back(wnd);
    return TRUE;
}

BOOL CALLBACK FindDialogBox(HWND wnd, LPARAM found) {
    wchar_t className[16] = {};
    if (!IsWindowVisible(wnd) || !GetClassNameW(wnd, className, 16) || lstrcmpW(className, L"#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = wnd;
    return FALSE;
}

} // namespace

Application::OtherWindowsDisabled::OtherWindowsDisabled(HWND except) {
    std::pair<HWND, std::vector<HWND>*> scope{except, &disabled_};
    EnumThreadWindows(GetCurrentThreadId(), &CollectEnabledWindow, reinterpret_cast<LPARAM>(&scope));
    for (HWND wnd : disabled_)
        EnableWindow(wnd, FALSE);
}

void Application::OtherWindowsDisabled::Restore() {
    for (HWND wnd : disabled_)
        if (IsWindow(wnd)) EnableWindow(wnd, TRUE);
    disabled_.clear();
}

Application::ModalScope::ModalScope(HWND window) : saved_(Get().modalWindow_) {
    Application& app = Get();
    ++app.modalDepth_;
    app.modalWindow_ = window;
}

Application::ModalScope::~ModalScope() {
    Application& app = Get();
    --app.modalDepth_;
    app.modalWindow_ = saved_;
}

bool Application::BringModalToFront() {
    if (!ModalUp()) return false;
    HWND window = modalWindow_ && IsWindowVisible(modalWindow_) ? modalWindow_ : nullptr;
    if (!window) EnumThreadWindows(GetCurrentThreadId(), &FindDialogBox, reinterpret_cast<LPARAM>(&window));
    if (window) {
        SetForegroundWindow(window);
        BringWindowToTop(window);
    }
    return true;
}

int Application::ShowMessage(const wchar_t* text, const wchar_t* caption, UINT flags) {
    ModalScope modal;
    // The box disables only its owner; the program's other windows are disabled here and enabled
    // again afterwards.
    OtherWindowsDisabled disabled;
    int result = MessageBoxW(handle_, text, caption, flags);
    disabled.Restore();
    // The owner took the activation back while the forms were still disabled: hand it on.
    if (GetActiveWindow() == handle_ && mainForm_ && mainForm_->Visible()) SetActiveWindow(mainForm_->Handle());
    return result;
}

LRESULT CALLBACK Application::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Application& app = Get();
    switch (msg) {
    case WM_CLOSE:
        // Closing the taskbar button closes the main form, which decides.
        if (app.mainForm_) app.mainForm_->Close();
        return 0;
    case WM_SETFOCUS:
        if (app.mainForm_ && app.mainForm_->Visible()) SetFocus(app.mainForm_->Handle());
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && app.mainForm_ && app.mainForm_->Visible()) {
            SetActiveWindow(app.mainForm_->Handle());
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_SHOWWINDOW:
        // The taskbar button gets the program's icons as it first shows, after the main form: given
        // at creation, the window system would convert them while the start waits.
        if (wParam && !SendMessageW(wnd, WM_GETICON, ICON_BIG, 0)) {
            SendMessageW(wnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app.icon_));
            SendMessageW(wnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(app.smallIcon_));
        }
        break;
    case WM_SIZE:
        // The forms go with the taskbar button: hidden while it is minimised, back when restored.
        if (wParam == SIZE_MINIMIZED) ShowOwnedPopups(wnd, FALSE);
        if (wParam == SIZE_RESTORED) ShowOwnedPopups(wnd, TRUE);
        break;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

} // namespace kelpix
