// A row of flat buttons drawn by one window: the tools, colours and sizes of a toolbar, where a
// window each would cost the system a window each to make, show and paint. Buttons of one group
// stay down as the program says; each has a tip that comes up while the pointer rests on it.
#pragma once
#include "toolkit/controls.h"
#include "toolkit/window.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelpix {

class Form;

class ButtonBar : public Window {
public:
    struct Button {
        std::wstring caption;
        std::wstring tip;
        int width = 0;                       // designed at 96 DPI
        int gapBefore = 0;                   // designed at 96 DPI
        std::optional<COLORREF> swatch = {}; // a square of this colour instead of the caption
    };
    // The buttons stand in a row from the bar's left; those that do not fit its width go on in rows
    // below. `at` is the bar's place and size at first (see HeightFor).
    ButtonBar(Form& form, HWND parent, Placement at, std::vector<Button> buttons);
    // The height the bar takes at this width (device pixels): a row for as many buttons as fit.
    int HeightFor(int width) const;

    void SetDown(size_t button, bool down);
    bool Down(size_t button) const { return states_.at(button).down; }
    void Enable(size_t button, bool enabled);
    bool Enabled(size_t button) const { return states_.at(button).enabled; }
    // A click on a button, released over it.
    std::function<void(size_t button)> OnClick;
    // Where a button is, in the bar's client area (tests).
    RECT ButtonRect(size_t button) const;

private:
    struct State {
        bool down = false, enabled = true;
    };
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc);
    void PaintButton(HDC dc, size_t button, RECT r) const;
    std::optional<size_t> ButtonAt(POINT at) const;
    // Where each button stands at this width, and the bar's height.
    std::vector<RECT> Layout(int width, int* height = nullptr) const;
    void AddTips();
    int Scale(int designed) const;

    Form& form_;
    std::vector<Button> buttons_;
    std::vector<State> states_;
    std::optional<size_t> pressed_; // the button the left button went down on
    bool inside_ = false;           // the pointer is over the pressed button
    std::unique_ptr<ToolTips> tips_;
};

} // namespace kelpix
