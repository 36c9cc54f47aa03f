#include "toolkit/controls.h"

#include "toolkit/application.h"
#include "toolkit/form.h"

#include <commctrl.h>
#include <windowsx.h>
#include <algorithm>

namespace kelpix {

namespace {

// A designed length at the DPI of the form the control is on.
int ScaleOnForm(HWND control, int designed) {
    auto* form = dynamic_cast<Form*>(Window::FromHandle(GetAncestor(control, GA_ROOT)));
    return form ? form->Scale(designed) : Application::Get().Scale(designed);
}

bool IsMouseMessage(UINT msg) {
    return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK;
}

POINT MousePos(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// Hands a control's mouse message to its OnMouse handler, if it has one. Returns true when the message
// is done with; the right-button release goes on to the default handling, so that the form's context
// menu comes up over the control too.
bool PassMouse(const MouseHandler& handler, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!handler) return false;
    if (msg == WM_CAPTURECHANGED) {
        handler(msg, 0, POINT{0, 0});
        return true;
    }
    if (!IsMouseMessage(msg)) return false;
    handler(msg, wParam, MousePos(lParam));
    return msg != WM_RBUTTONUP;
}

} // namespace

// --- SpeedButton ---------------------------------------------------------------------------

SpeedButton::SpeedButton(Form& form, HWND parent, Placement at, const std::wstring& caption, int groupIndex,
                         bool allowAllUp)
    : groupIndex_(groupIndex), allowAllUp_(allowAllUp) {
    CreateWindowObject(0, L"TSpeedButton", caption.c_str(), WS_CHILD | WS_VISIBLE, form.Scaled(at), parent);
    form.Place(Handle(), at);
}

void SpeedButton::SetDown(bool down) {
    if (down == down_) return;
    down_ = down;
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
}

void SpeedButton::SetCaption(const std::wstring& caption) {
    SetText(caption);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void SpeedButton::ShowSwatch(COLORREF colour) {
    swatch_ = colour;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void SpeedButton::Click() {
    if (groupIndex_ > 0) SetDown(down_ ? !allowAllUp_ : true);
    if (OnClick) OnClick();
}

void SpeedButton::Paint(HDC dc) {
    RECT r{};
    GetClientRect(Handle(), &r);
    bool sunken = down_ || (pressed_ && inside_);
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (sunken ? DFCS_PUSHED : 0));
    if (down_ && !(pressed_ && inside_)) {
        // A button held down by its group shows the lighter, checked ground.
        FillRect(dc, &r, GetSysColorBrush(COLOR_3DLIGHT));
    }
    if (sunken) OffsetRect(&r, 1, 1);
    if (swatch_) {
        InflateRect(&r, -(r.bottom - r.top) / 5, -(r.bottom - r.top) / 5);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        InflateRect(&r, -1, -1);
        HBRUSH brush = CreateSolidBrush(*swatch_);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        return;
    }
    std::wstring caption = Text();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(Handle()) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
    SelectGuard keepFont(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT SpeedButton::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        Paint(dc);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
        SetPropW(Handle(), L"KelpixFont", reinterpret_cast<HANDLE>(wParam));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(GetPropW(Handle(), L"KelpixFont"));
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = inside_ = true;
        SetCapture(Handle());
        InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        if (pressed_) {
            RECT r{};
            GetClientRect(Handle(), &r);
            bool inside = PtInRect(&r, MousePos(lParam)) != FALSE;
            if (inside != inside_) {
                inside_ = inside;
                InvalidateRect(Handle(), nullptr, FALSE);
            }
        }
        return 0;
    case WM_LBUTTONUP:
        if (pressed_) {
            bool click = inside_;
            pressed_ = inside_ = false;
            ReleaseCapture();
            InvalidateRect(Handle(), nullptr, FALSE);
            if (click) Click();
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (pressed_) {
            pressed_ = inside_ = false;
            InvalidateRect(Handle(), nullptr, FALSE);
        }
        return 0;
    case WM_SETTEXT: {
        LRESULT r = DefaultHandler(msg, wParam, lParam);
        InvalidateRect(Handle(), nullptr, FALSE);
        return r;
    }
    }
    return DefaultHandler(msg, wParam, lParam);
}

// --- ToolTips ------------------------------------------------------------------------------

ToolTips::ToolTips(HWND owner)
    : owner_(owner),
      tips_(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            Application::Get().Instance(), nullptr)) {}

ToolTips::~ToolTips() {
    if (tips_) DestroyWindow(tips_);
}

namespace {

void SetTool(HWND tips, TOOLINFOW info, const std::wstring& tip) {
    TOOLINFOW known = info;
    const bool added = SendMessageW(tips, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&known)) != FALSE;
    info.lpszText = const_cast<wchar_t*>(tip.c_str());
    if (added) SendMessageW(tips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(tips, added ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

} // namespace

void ToolTips::Set(HWND control, const std::wstring& tip) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    SetTool(tips_, info, tip);
}

void ToolTips::SetArea(UINT_PTR id, const RECT& area, const std::wstring& tip) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = owner_;
    info.uId = id;
    info.rect = area;
    SetTool(tips_, info, tip);
}

// --- Panel ---------------------------------------------------------------------------------

Panel::Panel(Form& form, HWND parent, Placement at, bool tabStop) {
    CreateWindowObject(0, L"TPanel", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | (tabStop ? WS_TABSTOP : 0),
                       form.Scaled(at), parent);
    form.Place(Handle(), at);
}

LRESULT Panel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT r{};
        GetClientRect(Handle(), &r);
        DrawEdge(dc, &r, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
        EndPaint(Handle(), &ps);
        return 0;
    }
    if (msg == WM_GETDLGCODE) return DLGC_STATIC;
    if (msg == WM_LBUTTONDOWN && (GetWindowLongW(Handle(), GWL_STYLE) & WS_TABSTOP)) SetFocus(Handle());
    if (PassMouse(OnMouse, msg, wParam, lParam)) return 0;
    return DefaultHandler(msg, wParam, lParam);
}

// --- ImageView -----------------------------------------------------------------------------

ImageView::ImageView(Form& form, HWND parent, Placement at, bool visible) {
    CreateWindowObject(0, L"TImage", L"", WS_CHILD | (visible ? WS_VISIBLE : 0), form.Scaled(at), parent);
    form.Place(Handle(), at);
}

void ImageView::SetIcon(HICON icon) {
    icon_ = icon;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void ImageView::SetBitmap(HBITMAP bitmap, SIZE size) {
    bitmap_ = bitmap;
    bitmapSize_ = size;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void ImageView::SetSize(int width, int height) {
    SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT ImageView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT r{};
        GetClientRect(Handle(), &r);
        int drawnW = 0, drawnH = 0;
        if (BitmapHandle()) {
            MemoryDc source(CreateCompatibleDC(dc));
            SelectGuard keep(source.get(), BitmapHandle());
            drawnW = std::min<int>(bitmapSize_.cx, r.right);
            drawnH = std::min<int>(bitmapSize_.cy, r.bottom);
            BitBlt(dc, 0, 0, drawnW, drawnH, source.get(), 0, 0, SRCCOPY);
        }
        // The ground around a smaller picture, and behind an icon's transparent parts.
        HBRUSH ground = GetSysColorBrush(COLOR_BTNFACE);
        RECT right{drawnW, 0, r.right, r.bottom}, below{0, drawnH, drawnW, r.bottom};
        FillRect(dc, &right, ground);
        FillRect(dc, &below, ground);
        if (icon_) DrawIconEx(dc, 0, 0, icon_, 0, 0, 0, nullptr, DI_NORMAL);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    }
    if (PassMouse(OnMouse, msg, wParam, lParam)) return 0;
    return DefaultHandler(msg, wParam, lParam);
}

// --- ScrollBox -----------------------------------------------------------------------------

ScrollBox::ScrollBox(Form& form, HWND parent, Placement at, bool tabStop) {
    CreateWindowObject(WS_EX_CLIENTEDGE, L"TScrollBox", L"",
                       WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | (tabStop ? WS_TABSTOP : 0), form.Scaled(at), parent);
    form.Place(Handle(), at);
}

void ScrollBox::UpdateScrollRange() {
    // The extent of the visible children in unscrolled coordinates; their own visibility, as this box
    // may be in a window hidden for the moment (a capture).
    int extentW = 0, extentH = 0;
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(HWND_DESKTOP, Handle(), reinterpret_cast<POINT*>(&r), 2);
        extentW = std::max<int>(extentW, r.right + pos_.x);
        extentH = std::max<int>(extentH, r.bottom + pos_.y);
    }
    // Showing one bar narrows the other dimension, so settle in two rounds. The bars are drawn once,
    // with the next paint, rather than at each of these calls.
    for (int round = 0; round < 2; ++round) {
        RECT client{};
        GetClientRect(Handle(), &client);
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
        si.nMax = extentW > 0 ? extentW - 1 : 0;
        si.nPage = static_cast<UINT>(client.right);
        SetScrollInfo(Handle(), SB_HORZ, &si, FALSE);
        si.nMax = extentH > 0 ? extentH - 1 : 0;
        si.nPage = static_cast<UINT>(client.bottom);
        SetScrollInfo(Handle(), SB_VERT, &si, FALSE);
    }
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    RECT client{};
    GetClientRect(Handle(), &client);
    ScrollTo(SB_HORZ, std::min<int>(pos_.x, std::max<int>(0, extentW - client.right)));
    ScrollTo(SB_VERT, std::min<int>(pos_.y, std::max<int>(0, extentH - client.bottom)));
}

void ScrollBox::ScrollTo(int bar, int pos) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle(), bar, &si);
    int maxPos = std::max<int>(0, si.nMax - static_cast<int>(si.nPage) + 1);
    pos = std::clamp(pos, 0, maxPos);
    LONG& current = bar == SB_HORZ ? pos_.x : pos_.y;
    if (pos == current) return;
    int delta = current - pos;
    current = pos;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(Handle(), bar, &si, TRUE);
    ScrollWindowEx(Handle(), bar == SB_HORZ ? delta : 0, bar == SB_VERT ? delta : 0, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

void ScrollBox::Scrolled(int bar, WORD request) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle(), bar, &si);
    const int line = ScaleOnForm(Handle(), 8), page = static_cast<int>(si.nPage);
    switch (request) {
    case SB_LINEUP:
        return ScrollTo(bar, si.nPos - line);
    case SB_LINEDOWN:
        return ScrollTo(bar, si.nPos + line);
    case SB_PAGEUP:
        return ScrollTo(bar, si.nPos - page);
    case SB_PAGEDOWN:
        return ScrollTo(bar, si.nPos + page);
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        return ScrollTo(bar, si.nTrackPos);
    case SB_TOP:
        return ScrollTo(bar, 0);
    case SB_BOTTOM:
        return ScrollTo(bar, si.nMax);
    default:
        return;
    }
}

LRESULT ScrollBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
        Scrolled(msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        // The wheel scrolls down the image; with Shift, or a wheel that tilts, across it.
        const int step = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * ScaleOnForm(Handle(), 24);
        if (msg == WM_MOUSEHWHEEL)
            ScrollTo(SB_HORZ, pos_.x + step);
        else if (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT)
            ScrollTo(SB_HORZ, pos_.x - step);
        else
            ScrollTo(SB_VERT, pos_.y - step);
        return 0;
    }
    case WM_SIZE:
        UpdateScrollRange();
        break;
    case WM_LBUTTONDOWN:
        if (GetWindowLongW(Handle(), GWL_STYLE) & WS_TABSTOP) SetFocus(Handle());
        PassMouse(OnMouse, msg, wParam, lParam);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN: {
        // The arrow keys scroll a line.
        const int bar = wParam == VK_UP || wParam == VK_DOWN ? SB_VERT : SB_HORZ;
        if (wParam == VK_UP || wParam == VK_LEFT) return Scrolled(bar, SB_LINEUP), 0;
        if (wParam == VK_DOWN || wParam == VK_RIGHT) return Scrolled(bar, SB_LINEDOWN), 0;
        break;
    }
    }
    if (PassMouse(OnMouse, msg, wParam, lParam)) return 0;
    return DefaultHandler(msg, wParam, lParam);
}

} // namespace kelpix
