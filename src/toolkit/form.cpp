#include "toolkit/form.h"

#include "toolkit/application.h"
#include "toolkit/error.h"

namespace kelpix {

Form::~Form() {
    if (Handle() && IsWindow(Handle())) DestroyWindow(Handle());
    if (font_) DeleteObject(font_);
}

void Form::CreateForm(const FormLayout& layout) {
    Application& app = Application::Get();
    // Opened where it is placed, or on the primary monitor when the system chooses the place.
    POINT at = layout.left == CW_USEDEFAULT ? POINT{0, 0} : POINT{layout.left, layout.top};
    SetDpi(app.MonitorDpi(at));
    RECT r{0, 0, Scale(layout.clientWidth), Scale(layout.clientHeight)};
    AdjustWindowRectEx(&r, layout.style, layout.menu != nullptr, layout.exStyle);
    CreateWindowObject(layout.exStyle, layout.className, layout.caption.c_str(), layout.style, layout.left, layout.top,
                       r.right - r.left, r.bottom - r.top, app.Handle(), layout.menu, 0, layout.icon);
    // A menu bar that wraps takes client height: set the client size once more, measured.
    const SIZE client = ClientSize();
    if (client.cx != Scale(layout.clientWidth) || client.cy != Scale(layout.clientHeight))
        SetClientSize(Scale(layout.clientWidth), Scale(layout.clientHeight));
}

void Form::SetDpi(int dpi) {
    dpi_ = dpi;
    HFONT old = font_;
    const Application::FontFace& face = Application::Get().FormFont();
    font_ = CreateFontW(-Scale(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, face.charset, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.name.c_str());
    for (const PlacedChild& child : placed_) {
        if (!IsWindow(child.handle)) continue;
        ApplyFont(child.handle);
        MoveWindow(child.handle, Scale(child.at.x), Scale(child.at.y), Scale(child.at.w), Scale(child.at.h), TRUE);
    }
    // Only now that no child uses it any more.
    if (old) DeleteObject(old);
}

void Form::Place(HWND child, Placement at) {
    placed_.push_back({child, at});
    ApplyFont(child);
    // A control may take a size of its own as it is made (an up-down control its own width): it is
    // put where it belongs once more.
    const Placement want = Scaled(at);
    const RECT now = BoundsInParent(child);
    if (now.left != want.x || now.top != want.y || now.right - now.left != want.w || now.bottom - now.top != want.h)
        MoveWindow(child, want.x, want.y, want.w, want.h, TRUE);
}

SIZE Form::ClientSize() const {
    RECT r{};
    GetClientRect(Handle(), &r);
    return {r.right, r.bottom};
}

void Form::SetClientSize(int width, int height) {
    RECT window{}, client{};
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    int w = (window.right - window.left) - client.right + width;
    int h = (window.bottom - window.top) - client.bottom + height;
    SetWindowPos(Handle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Form::CreateChild(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int w, int h,
                       HWND parent, int id, DWORD exStyle) {
    Application& app = Application::Get();
    const Placement place = Scaled({x, y, w, h});
    HWND child = CreateWindowExW(exStyle, className, text, style | WS_CHILD, place.x, place.y, place.w, place.h,
                                 parent ? parent : Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 app.Instance(), nullptr);
    if (!child) throw FormatError(L"CreateWindow %s failed", {className});
    Place(child, {x, y, w, h});
    return child;
}

int Form::ShowModal() {
    Application& app = Application::Get();
    Application::ModalScope modal(Handle());
    Application::OtherWindowsDisabled disabled(Handle());
    modal_ = true;
    modalResult_ = 0;
    SetVisible(true);
    SetForegroundWindow(Handle());
    while (modalResult_ == 0 && !app.Terminated())
        app.HandleOneMessage();
    modal_ = false;
    // Enabled again before the form hides, so that the activation goes back to them.
    disabled.Restore();
    SetVisible(false);
    return modalResult_;
}

bool Form::PreTranslateMessage(MSG& msg) {
    // Tab and arrow navigation between the form's controls.
    return IsDialogMessageW(Handle(), &msg) != FALSE;
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        if (CanClose()) {
            if (modal_)
                modalResult_ = kModalCancel;
            else if (Application::Get().MainForm() == this)
                Application::Get().Terminate();
            else
                SetVisible(false);
        }
        return 0;
    }
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE && Application::Get().MainForm() == this) {
        // Minimising the main form minimises the application to its taskbar button.
        ShowWindow(Application::Get().Handle(), SW_MINIMIZE);
        return 0;
    }
    if (msg == WM_DPICHANGED) {
        // Everything laid out for the new DPI, then the rectangle the system suggests, which keeps
        // the window where it was dropped.
        SetDpi(HIWORD(wParam));
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        DpiChanged();
        return 0;
    }
    if (msg == WM_ACTIVATE) {
        // The focus comes back to the control that had it, or the first one in tab order.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
        } else if (!HIWORD(wParam)) {
            HWND target = lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : GetNextDlgTabItem(Handle(), nullptr, FALSE);
            if (target) SetFocus(target);
            return 0;
        }
    }
    return DefaultHandler(msg, wParam, lParam);
}

} // namespace kelpix
