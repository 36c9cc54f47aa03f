// A window whose messages go to a C++ object: `this` is stored at WM_NCCREATE and every message
// is dispatched to the virtual HandleMessage. An exception that escapes a handler is shown in the
// standard error box; none ever leaves the window procedure.
#pragma once
#include <windows.h>
#include <string>

namespace kelpix {

// Position and size designed at 96 DPI; the form scales them to its own DPI.
struct Placement {
    int x, y, w, h;
};

// A window's rectangle in its parent's client coordinates.
RECT BoundsInParent(HWND wnd);
// A window's text, whatever its length.
std::wstring WindowText(HWND wnd);

// A control by its handle, owned by its parent window rather than by this: what the forms read
// from and set on the system's standard controls.
class Control {
public:
    Control() = default;
    explicit Control(HWND handle) : handle_(handle) {}

    HWND Handle() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(handle_, msg, wParam, lParam);
    }
    std::wstring Text() const { return WindowText(handle_); }
    void SetText(const std::wstring& text) const { SetWindowTextW(handle_, text.c_str()); }
    bool Enabled() const { return IsWindowEnabled(handle_) != FALSE; }
    void Enable(bool enabled) const { EnableWindow(handle_, enabled); }

    // --- Check boxes
    bool Ticked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
    void SetTicked(bool ticked) const { Send(BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED); }
    // --- Drop-down lists: the chosen entry, from 0; -1 for none.
    int Chosen() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void Choose(int entry) const { Send(CB_SETCURSEL, static_cast<WPARAM>(entry)); }

private:
    HWND handle_ = nullptr;
};

class Window {
public:
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return handle_; }
    bool Visible() const { return IsWindowVisible(handle_) != FALSE; }
    void SetVisible(bool visible) { ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE); }
    std::wstring Text() const { return WindowText(handle_); }
    void SetText(const std::wstring& text) { SetWindowTextW(handle_, text.c_str()); }
    // Moves the window (device pixels, relative to its parent's client area).
    void SetBounds(int x, int y, int w, int h) { MoveWindow(handle_, x, y, w, h, TRUE); }
    RECT Bounds() const { return BoundsInParent(handle_); }

    // The Window object behind a handle created through this class, or null.
    static Window* FromHandle(HWND wnd);

protected:
    Window() = default;
    // Registers the class on first use (arrow cursor, button-face ground, the program's icons if asked)
    // and creates the window.
    void CreateWindowObject(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                            int w, int h, HWND parent, HMENU menuOrId, UINT classStyle = 0, bool programIcon = false);
    // The same for a child, made at a place in device pixels.
    void CreateWindowObject(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, Placement at,
                            HWND parent) {
        CreateWindowObject(exStyle, className, text, style, at.x, at.y, at.w, at.h, parent, nullptr);
    }
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(handle_, msg, wParam, lParam);
    }

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND handle_ = nullptr;
};

} // namespace kelpix
