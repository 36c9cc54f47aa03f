// The controls the forms are built from: toggle and push buttons that never take the focus, a
// bevelled panel, an image view and a scroll box.
#pragma once
#include "toolkit/handles.h"
#include "toolkit/window.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kelpix {

class Form;

// Mouse messages of a control, with the position in the control's client coordinates. A control
// that held the mouse capture also passes on WM_CAPTURECHANGED when it loses it (keys and position 0).
using MouseHandler = std::function<void(UINT msg, WPARAM keys, POINT pos)>;

// A flat button drawn by the program. In a group (groupIndex > 0) it stays down when clicked;
// allowAllUp lets a click release it again. It never takes the keyboard focus.
class SpeedButton : public Window {
public:
    SpeedButton(Form& form, HWND parent, Placement at, const std::wstring& caption, int groupIndex = 0,
                bool allowAllUp = false);

    bool Down() const { return down_; }
    void SetDown(bool down);
    void SetCaption(const std::wstring& caption);
    std::wstring Caption() const { return Text(); }
    // Performs a click as the user does: toggles a grouped button, then calls OnClick.
    void Click();
    std::function<void()> OnClick;
    // A square of this colour on the face instead of the caption (a colour to choose).
    void ShowSwatch(COLORREF colour);

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc);

    std::optional<COLORREF> swatch_;
    int groupIndex_;
    bool allowAllUp_;
    bool down_ = false;
    bool pressed_ = false; // mouse held on the button
    bool inside_ = false;
};

// The tips that come up over controls while the pointer rests on them.
class ToolTips {
public:
    explicit ToolTips(HWND owner);
    ~ToolTips();
    ToolTips(const ToolTips&) = delete;
    ToolTips& operator=(const ToolTips&) = delete;
    // The tip of a control (a child of the owner), given anew or for the first time.
    void Set(HWND control, const std::wstring& tip);
    // The tip of an area of the owner's client area, named by `id`, given anew or for the first time.
    void SetArea(UINT_PTR id, const RECT& area, const std::wstring& tip);
    HWND Handle() const { return tips_; }

private:
    HWND owner_;
    HWND tips_;
};

// A panel with a lowered outer and a raised inner bevel. Takes the focus when tabbed to.
class Panel : public Window {
public:
    Panel(Form& form, HWND parent, Placement at, bool tabStop);
    MouseHandler OnMouse;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// Shows an icon or a bitmap at its top-left corner. Neither is owned by the view: the caller keeps
// them alive while they are shown.
class ImageView : public Window {
public:
    ImageView(Form& form, HWND parent, Placement at, bool visible = true);

    void SetIcon(HICON icon);
    HICON IconHandle() const { return icon_; }
    // The bitmap to show (may be none), of this size in pixels.
    void SetBitmap(HBITMAP bitmap, SIZE size);
    HBITMAP BitmapHandle() const { return bitmap_; }
    // Resizes the control (device pixels) keeping its position.
    void SetSize(int width, int height);
    MouseHandler OnMouse;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    HICON icon_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    SIZE bitmapSize_{0, 0};
};

// A sunken box whose children scroll when they reach beyond its client area.
class ScrollBox : public Window {
public:
    ScrollBox(Form& form, HWND parent, Placement at, bool tabStop);
    // Recomputes the scroll ranges from the children's extent; call after a child changes size.
    void UpdateScrollRange();
    // The mouse on the box itself, where no child lies (the wheel scrolls, and is not passed on).
    MouseHandler OnMouse;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void ScrollTo(int bar, int pos);
    // A scroll bar's request (SB_LINEUP...), for the bar SB_HORZ or SB_VERT.
    void Scrolled(int bar, WORD request);

    POINT pos_{0, 0};
};

} // namespace kelpix
