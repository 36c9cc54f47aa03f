#include "toolkit/window.h"

#include "toolkit/application.h"
#include "toolkit/error.h"

#include <set>

namespace kelpix {

Window::~Window() {
    if (handle_ && IsWindow(handle_)) {
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

std::wstring WindowText(HWND wnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(wnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(wnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT BoundsInParent(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(wnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The object is kept in the window's user data, which is read without asking the system's server;
// only a window of this process that runs this class's procedure has one there.
Window* Window::FromHandle(HWND wnd) {
    DWORD process = 0;
    if (!wnd || !GetWindowThreadProcessId(wnd, &process) || process != GetCurrentProcessId() ||
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)) != &Window::WndProc)
        return nullptr;
    return reinterpret_cast<Window*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

void Window::CreateWindowObject(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                                int w, int h, HWND parent, HMENU menuOrId, UINT classStyle, bool programIcon) {
    static std::set<std::wstring> registered;
    const Application& app = Application::Get();
    HINSTANCE instance = app.Instance();
    if (registered.insert(className).second) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = classStyle;
        wc.lpfnWndProc = &Window::WndProc;
        wc.hInstance = instance;
        // Both sizes given: left without the small one, the system would make it from the large one.
        wc.hIcon = programIcon ? app.Icon() : nullptr;
        wc.hIconSm = programIcon ? app.SmallIcon() : nullptr;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = className;
        if (!RegisterClassExW(&wc)) throw FormatError(L"RegisterClass %s failed", {className});
    }
    if (!CreateWindowExW(exStyle, className, text, style, x, y, w, h, parent, menuOrId, instance, this))
        throw FormatError(L"CreateWindow %s failed", {className});
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT CALLBACK Window::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->handle_ = wnd;
        SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
        if (self) self->handle_ = nullptr;
        return DefWindowProcW(wnd, msg, wParam, lParam);
    }
    if (!self) return DefWindowProcW(wnd, msg, wParam, lParam);
    if (msg == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT) {
        // The program-wide cursor, while one is set, wins over every window's own.
        Application& app = Application::Get();
        if (app.ScreenCursor()) {
            SetCursor(app.ScreenCursor());
            return TRUE;
        }
    }
    LRESULT result = 0;
    if (!GuardedCall([&] { result = self->HandleMessage(msg, wParam, lParam); })) return 0;
    return result;
}

} // namespace kelpix
