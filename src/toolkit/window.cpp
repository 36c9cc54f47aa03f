#include "toolkit/window.h"

#include "toolkit/application.h"
#include "toolkit/error.h"

#include <set>

namespace kelpix {

namespace {
constexpr wchar_t kObjectProp[] = L"KelpixWindowObject";
}

Window::~Window() {
    if (handle_ && IsWindow(handle_)) {
        RemovePropW(handle_, kObjectProp);
        DestroyWindow(handle_);
    }
}

std::wstring Window::Text() const {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(handle_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT Window::Bounds() const {
    RECT r{};
    GetWindowRect(handle_, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

Window* Window::FromHandle(HWND wnd) {
    return wnd ? static_cast<Window*>(GetPropW(wnd, kObjectProp)) : nullptr;
}

void Window::CreateWindowObject(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                                int w, int h, HWND parent, HMENU menuOrId, UINT classStyle, HICON icon) {
    static std::set<std::wstring> registered;
    HINSTANCE instance = Application::Get().Instance();
    if (registered.insert(className).second) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = classStyle;
        wc.lpfnWndProc = &Window::WndProc;
        wc.hInstance = instance;
        wc.hIcon = icon;
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
        SetPropW(wnd, kObjectProp, self);
    } else {
        self = FromHandle(wnd);
    }
    if (msg == WM_NCDESTROY) {
        RemovePropW(wnd, kObjectProp);
        if (self) self->handle_ = nullptr;
        return DefWindowProcW(wnd, msg, wParam, lParam);
    }
    if (!self) return DefWindowProcW(wnd, msg, wParam, lParam);
    if (msg == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT) {
        // The program-wide cursor, while one is set, wins over every window's own.
        Application& app = Application::Get();
        if (app.ScreenCursor() != 0) {
            SetCursor(app.Cursor(app.ScreenCursor()));
            return TRUE;
        }
    }
    LRESULT result = 0;
    if (!GuardedCall([&] { result = self->HandleMessage(msg, wParam, lParam); })) return 0;
    return result;
}

} // namespace kelpix
