// Base of the program's forms: a top-level window owned by the application window, with the
// form's font, keyboard navigation between its controls and the close rule.
#pragma once
#include "toolkit/window.h"

#include <string>
#include <vector>

namespace kelpix {

// Modal results: what closed a modally shown form.
inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2; // also the close box

struct FormLayout {
    const wchar_t* className; // one window class per form
    std::wstring caption;
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    int left = CW_USEDEFAULT, top = CW_USEDEFAULT; // screen pixels, not scaled; the form opens at the DPI there
    int clientWidth = 0, clientHeight = 0;         // designed at 96 DPI
    HMENU menu = nullptr;
    bool icon = true; // the program's icon in the caption; a dialog frame goes without
};

class Form : public Window {
public:
    ~Form() override;

    SIZE ClientSize() const;
    // Sets the client area's size in device pixels, keeping the window's position.
    void SetClientSize(int width, int height);
    void SetClientHeight(int height) { SetClientSize(ClientSize().cx, height); }

    // Pixels per inch the form is laid out for: that of the monitor it is on. Layouts are designed
    // at 96 and scaled by it; the form lays itself out again when the system says it changed.
    int Dpi() const { return dpi_; }
    int Scale(int designed) const { return MulDiv(designed, dpi_, 96); }

    // The form's font: 12 pixels at 96 DPI, scaled, in the application's typeface (Application::FormFont).
    HFONT Font() const { return font_; }
    // Creates a child control with the form's font; position and size are designed at 96 DPI.
    HWND CreateChild(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int w, int h,
                     HWND parent = nullptr, int id = 0, DWORD exStyle = 0);
    // Makes the font anew in the application's typeface (after the program changed it) and gives
    // it to every placed child.
    void RefreshFont() { SetDpi(dpi_); }
    // Where a child designed at `at` is at the form's DPI: it is made there, then placed.
    Placement Scaled(Placement at) const { return {Scale(at.x), Scale(at.y), Scale(at.w), Scale(at.h)}; }
    // Gives a child made at Scaled(at) the form's font, and keeps it where it is designed to be when
    // the DPI changes.
    void Place(HWND child, Placement at);
    // Applies the form's font to a child window.
    void ApplyFont(HWND child) const { SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE); }

    // Closes the form as its close box does: CanClose decides; the main form then ends the
    // program, any other form hides.
    void Close() { SendMessageW(Handle(), WM_CLOSE, 0, 0); }

    // Shows the form modally: the thread's other visible windows are disabled and messages are
    // handled here until a modal result is set. Returns it, or 0 when the program is ending.
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

    // Called by the message loop for messages to this form or its controls. Returns true when
    // the message was handled (keyboard shortcut, dialog navigation) and must not be dispatched.
    virtual bool PreTranslateMessage(MSG& msg);

protected:
    Form() = default;
    void CreateForm(const FormLayout& layout);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual bool CanClose() { return true; }
    // The children and the font have been laid out for a new DPI and the window has taken the
    // rectangle the system suggested: the form's own layout follows here.
    virtual void DpiChanged() {}

private:
    void SetDpi(int dpi);

    struct PlacedChild {
        HWND handle;
        Placement at;
    };
    std::vector<PlacedChild> placed_;
    int dpi_ = 96;
    HFONT font_ = nullptr;
    HWND lastFocus_ = nullptr; // the control that had the focus when the form was deactivated
    bool modal_ = false;
    int modalResult_ = 0;
};

} // namespace kelpix
