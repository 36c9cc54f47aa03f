#include "toolkit/button_bar.h"

#include "toolkit/form.h"

#include <windowsx.h>

namespace kelpix {

namespace {
constexpr int kButtonMargin = 4, kButtonHeight = 24; // designed at 96 DPI
}

ButtonBar::ButtonBar(Form& form, HWND parent, Placement at, std::vector<Button> buttons)
    : form_(form), buttons_(std::move(buttons)), states_(buttons_.size()) {
    CreateWindowObject(0, L"TButtonBar", L"", WS_CHILD | WS_VISIBLE, form.Scaled(at), parent);
    form.Place(Handle(), at);
    tips_ = std::make_unique<ToolTips>(Handle());
    AddTips();
}

int ButtonBar::Scale(int designed) const {
    return form_.Scale(designed);
}

std::vector<RECT> ButtonBar::Layout(int width, int* height) const {
    const int margin = Scale(kButtonMargin), row = Scale(kButtonHeight);
    std::vector<RECT> rects;
    int x = margin, y = margin;
    for (const Button& button : buttons_) {
        int left = x + Scale(button.gapBefore);
        const int w = Scale(button.width);
        // A button that would reach past the bar's width begins a new row, its gap dropped.
        if (left + w + margin > width && x > margin) {
            y += row + margin;
            left = margin;
        }
        rects.push_back({left, y, left + w, y + row});
        x = left + w;
    }
    if (height) *height = y + row + margin;
    return rects;
}

int ButtonBar::HeightFor(int width) const {
    int height = 0;
    Layout(width, &height);
    return height;
}

RECT ButtonBar::ButtonRect(size_t button) const {
    RECT client{};
    GetClientRect(Handle(), &client);
    return Layout(client.right).at(button);
}

void ButtonBar::AddTips() {
    RECT client{};
    GetClientRect(Handle(), &client);
    const std::vector<RECT> rects = Layout(client.right);
    for (size_t i = 0; i < buttons_.size(); ++i)
        tips_->SetArea(i + 1, rects[i], buttons_[i].tip);
}

std::optional<size_t> ButtonBar::ButtonAt(POINT at) const {
    RECT client{};
    GetClientRect(Handle(), &client);
    const std::vector<RECT> rects = Layout(client.right);
    for (size_t i = 0; i < rects.size(); ++i)
        if (PtInRect(&rects[i], at)) return i;
    return std::nullopt;
}

void ButtonBar::SetDown(size_t button, bool down) {
    if (states_.at(button).down == down) return;
    states_[button].down = down;
    const RECT r = ButtonRect(button);
    InvalidateRect(Handle(), &r, FALSE);
}

void ButtonBar::Enable(size_t button, bool enabled) {
    if (states_.at(button).enabled == enabled) return;
    states_[button].enabled = enabled;
    const RECT r = ButtonRect(button);
    InvalidateRect(Handle(), &r, FALSE);
}

void ButtonBar::PaintButton(HDC dc, size_t button, RECT r) const {
    const State& state = states_[button];
    const bool held = pressed_ == button && inside_, sunken = state.down || held;
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (sunken ? DFCS_PUSHED : 0));
    // A button held down by its group shows the lighter, checked ground.
    if (state.down && !held) FillRect(dc, &r, GetSysColorBrush(COLOR_3DLIGHT));
    if (sunken) OffsetRect(&r, 1, 1);
    if (const auto& swatch = buttons_[button].swatch) {
        const int inset = (r.bottom - r.top) / 5;
        InflateRect(&r, -inset, -inset);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        InflateRect(&r, -1, -1);
        HBRUSH brush = CreateSolidBrush(*swatch);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        return;
    }
    SetTextColor(dc, GetSysColor(state.enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    const std::wstring& caption = buttons_[button].caption;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void ButtonBar::Paint(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SelectGuard keepFont(dc, form_.Font());
    const std::vector<RECT> rects = Layout(client.right);
    for (size_t i = 0; i < buttons_.size(); ++i)
        PaintButton(dc, i, rects[i]);
}

LRESULT ButtonBar::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
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
    case WM_SIZE:
        if (tips_) AddTips();
        InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = ButtonAt(at);
        if (!pressed_ || !states_[*pressed_].enabled) pressed_.reset();
        inside_ = pressed_.has_value();
        if (pressed_) SetCapture(Handle());
        InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        if (pressed_ && inside_ != (ButtonAt(at) == pressed_)) {
            inside_ = !inside_;
            InvalidateRect(Handle(), nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONUP: {
        if (!pressed_) return 0;
        const size_t button = *std::exchange(pressed_, std::nullopt);
        const bool click = ButtonAt(at) == button;
        ReleaseCapture();
        InvalidateRect(Handle(), nullptr, FALSE);
        if (click && OnClick) OnClick(button);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressed_) {
            pressed_.reset();
            InvalidateRect(Handle(), nullptr, FALSE);
        }
        return 0;
    }
    return DefaultHandler(msg, wParam, lParam);
}

} // namespace kelpix
