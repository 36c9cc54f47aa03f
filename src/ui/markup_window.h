// The markup editor: a window of its own on the last image, shown at 100 %, with a toolbar of tools,
// colours and sizes. The document (core/markup_document.h) decides everything; this window turns the
// mouse and the keys into its events, renders and repaints what its answers name, and hands the
// marked image over (Done, Ctrl+C, Ctrl+S).
#pragma once
#include "core/markup_document.h"
#include "services/captured_image.h"
#include "services/markup_pixels.h"
#include "toolkit/button_bar.h"
#include "toolkit/controls.h"
#include "toolkit/drag_start.h"
#include "toolkit/form.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kelpix {

class MarkupWindow : public Form {
public:
    MarkupWindow();
    ~MarkupWindow() override;

    // Opens on the image, a new document, sized to show it whole up to the work area of the monitor
    // `beside` lies on, the focus on the image. Raises the error to show for an image too large.
    void Open(SharedImage image, HWND beside);
    bool IsOpen() const { return document_ != nullptr; }

    // What the user hands over: Done (the window closes after it), Ctrl+C, Ctrl+S (true: saved), a
    // drag out from the frame round the picture (true: dropped).
    std::function<void(SharedImage)> OnDone, OnCopy;
    std::function<bool(SharedImage)> OnSave, OnDragOut;

    // Carries out a keyboard command as its key does (Enter, Ctrl+C, Ctrl+S...).
    void Finish();
    void CopyImage();
    void SaveImage();

    const core::MarkupDocument* Document() const { return document_.get(); }
    HWND Canvas() const;
    HWND TextBox() const { return textBox_; }

    bool PreTranslateMessage(MSG& msg) override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged() override;

private:
    class CanvasWindow;
    friend class CanvasWindow;

    void CreateToolbar();
    void ToolbarClicked(size_t button);
    void SizeToShowImage(HWND beside);
    void LayoutView();
    void Send(const core::MarkupEvent& event);
    void ShowStyle();
    bool KeyDown(WPARAM key);
    bool TextBoxKey(const MSG& msg);
    // Canvas parts.
    core::Point ImagePoint(LPARAM at) const;
    void CanvasMouse(UINT msg, WPARAM keys, LPARAM at);
    // The view round the picture: a press and a move drags the marked image out.
    void FrameMouse(UINT msg, WPARAM keys, POINT at);
    void PaintCanvas();
    bool SetCanvasCursor();
    void OpenTextBox(const core::TextEntryRequest& request);
    void ResizeTextBox();
    void EndTextBox(bool commit);
    // Closes when nothing would be lost, or the user says so; false when the window stays.
    bool CloseAsked();
    void Close();
    SharedImage Output();

    std::unique_ptr<core::MarkupDocument> document_;
    std::unique_ptr<MarkupPixels> pixels_;
    std::unique_ptr<ScrollBox> view_;
    std::unique_ptr<CanvasWindow> canvas_;
    std::unique_ptr<ButtonBar> toolbar_;
    HWND textBox_ = nullptr;
    std::optional<core::TextEntryRequest> textEntry_;
    bool pointerHeld_ = false;
    DragStart frameDrag_;
};

} // namespace kelpix
