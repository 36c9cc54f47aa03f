#include "ui/markup_window.h"

#include "services/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

namespace kelpix {

namespace {

// The toolbar, designed at 96 DPI: one row of buttons, in groups.
constexpr int kBarHeight = 32, kGap = 8;
constexpr int kToolWidth = 60, kSwatchWidth = 24, kSizeWidth = 28, kCommandWidth = 64;
constexpr int kBarWidth = 8 * kToolWidth + 6 * kSwatchWidth + 3 * kSizeWidth + 3 * kCommandWidth + 4 * kGap + 8;
constexpr int kTextBoxMinimumWidth = 24; // pixels: room for the caret and a first character

// The entries of a "|"-separated list of the text table.
std::vector<std::wstring> Entries(std::wstring_view list) {
    std::vector<std::wstring> entries;
    for (size_t at = 0;;) {
        const size_t bar = list.find(L'|', at);
        entries.emplace_back(list.substr(at, bar - at));
        if (bar == std::wstring_view::npos) return entries;
        at = bar + 1;
    }
}

COLORREF ColourRef(core::MarkColour colour) {
    const core::Rgb rgb = core::ColourRgb(colour);
    return RGB(rgb.r, rgb.g, rgb.b);
}

bool Held(int key) {
    return GetKeyState(key) < 0;
}

LPCWSTR CursorFor(core::PointerShape shape) {
    switch (shape) {
    case core::PointerShape::Crosshair:
        return IDC_CROSS;
    case core::PointerShape::TextBeam:
        return IDC_IBEAM;
    case core::PointerShape::Move:
        return IDC_SIZEALL;
    case core::PointerShape::SizeNwSe:
        return IDC_SIZENWSE;
    case core::PointerShape::SizeNeSw:
        return IDC_SIZENESW;
    case core::PointerShape::SizeNS:
        return IDC_SIZENS;
    case core::PointerShape::SizeWE:
        return IDC_SIZEWE;
    default:
        return IDC_ARROW;
    }
}

} // namespace

// The image at 100 %, inside the scrolling view: it paints the editor's pixels and hands the mouse
// to the editor.
class MarkupWindow::CanvasWindow : public Window {
public:
    CanvasWindow(MarkupWindow& editor, HWND parent) : editor_(editor) {
        CreateWindowObject(0, L"TMarkupCanvas", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, Placement{0, 0, 1, 1},
                           parent);
    }

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_PAINT:
            editor_.PaintCanvas();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && editor_.SetCanvasCursor()) return TRUE;
            break;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            // The view scrolls; with Shift, sideways.
            SendMessageW(GetParent(Handle()), msg, wParam, lParam);
            return 0;
        case WM_CTLCOLOREDIT:
            SetTextColor(reinterpret_cast<HDC>(wParam), ColourRef(editor_.textEntry_->colour));
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == editor_.textBox_ && HIWORD(wParam) == EN_CHANGE)
                editor_.ResizeTextBox();
            if (reinterpret_cast<HWND>(lParam) == editor_.textBox_ && HIWORD(wParam) == EN_KILLFOCUS)
                editor_.EndTextBox(true);
            return 0;
        default:
            if (msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK) editor_.CanvasMouse(msg, wParam, lParam);
            if (msg == WM_CAPTURECHANGED) editor_.CanvasMouse(msg, 0, 0);
            break;
        }
        return DefaultHandler(msg, wParam, lParam);
    }

    MarkupWindow& editor_;
};

MarkupWindow::MarkupWindow() {
    FormLayout layout{L"TMarkupEditor", Texts().editorCaption};
    layout.clientWidth = kBarWidth;
    layout.clientHeight = kBarHeight + 200;
    CreateForm(layout);
    CreateToolbar();
    view_ = std::make_unique<ScrollBox>(*this, Handle(), Placement{0, kBarHeight, kBarWidth, 200}, true);
    view_->OnMouse = [this](UINT msg, WPARAM keys, POINT at) { FrameMouse(msg, keys, at); };
    canvas_ = std::make_unique<CanvasWindow>(*this, view_->Handle());
}

MarkupWindow::~MarkupWindow() = default;

HWND MarkupWindow::Canvas() const {
    return canvas_->Handle();
}

// The toolbar's buttons, in order: the tools, the colours, the sizes, undo, redo, Done.
constexpr size_t kFirstColour = core::kMarkupToolCount, kFirstSize = kFirstColour + core::kMarkColourCount,
                 kUndo = kFirstSize + core::kStyleChoices, kRedo = kUndo + 1, kDone = kRedo + 1;

void MarkupWindow::CreateToolbar() {
    const core::TextTable& t = Texts();
    const std::vector<std::wstring> toolLabels = Entries(t.editorToolLabels), toolTips = Entries(t.editorToolTips),
                                    colourTips = Entries(t.editorColourTips), sizeLabels = Entries(t.editorSizeLabels),
                                    sizeTips = Entries(t.editorSizeTips);
    std::vector<ButtonBar::Button> buttons;
    for (size_t i = 0; i < core::kMarkupToolCount; ++i)
        buttons.push_back({toolLabels.at(i), toolTips.at(i), kToolWidth});
    for (size_t i = 0; i < core::kMarkColourCount; ++i)
        buttons.push_back(
            {L"", colourTips.at(i), kSwatchWidth, i == 0 ? kGap : 0, ColourRef(static_cast<core::MarkColour>(i))});
    for (size_t i = 0; i < core::kStyleChoices; ++i)
        buttons.push_back({sizeLabels.at(i), sizeTips.at(i), kSizeWidth, i == 0 ? kGap : 0});
    buttons.push_back({t.editorUndo, t.editorUndoTip, kCommandWidth, kGap});
    buttons.push_back({t.editorRedo, t.editorRedoTip, kCommandWidth});
    buttons.push_back({t.editorDone, t.editorDoneTip, kCommandWidth, kGap});
    toolbar_ = std::make_unique<ButtonBar>(*this, Handle(), Placement{0, 0, kBarWidth, kBarHeight}, std::move(buttons));
    toolbar_->OnClick = [this](size_t button) { ToolbarClicked(button); };
}

void MarkupWindow::ToolbarClicked(size_t button) {
    if (button < kFirstColour) {
        Send(core::ToolChosen{static_cast<core::MarkupTool>(button)});
    } else if (button < kFirstSize) {
        Send(core::ColourChosen{static_cast<core::MarkColour>(button - kFirstColour)});
    } else if (button < kUndo) {
        // One choice of three: the text's size while the text tool is chosen, else the line's width.
        const int size = static_cast<int>(button - kFirstSize);
        if (document_ && document_->style().tool == core::MarkupTool::Text)
            Send(core::TextSizeChosen{size});
        else
            Send(core::WidthChosen{size});
    } else if (button == kUndo) {
        Send(core::UndoChosen{});
    } else if (button == kRedo) {
        Send(core::RedoChosen{});
    } else if (button == kDone) {
        Finish();
    }
}

void MarkupWindow::Open(SharedImage image, HWND beside) {
    if (!image || !image->bitmap) return;
    if (image->size.cx > core::kMaxMarkupSide || image->size.cy > core::kMaxMarkupSide)
        throw Error(Texts().editorImageTooLarge);
    EndTextBox(false);
    pixels_ = std::make_unique<MarkupPixels>(std::move(image));
    document_ = std::make_unique<core::MarkupDocument>(pixels_->Image()->size.cx, pixels_->Image()->size.cy);
    LayoutView();
    SizeToShowImage(beside);
    ShowStyle();
    SetVisible(true);
    SetForegroundWindow(Handle());
    SetFocus(Canvas());
}

// Shows the image whole, up to the work area of the monitor `beside` lies on, in the middle of it.
void MarkupWindow::SizeToShowImage(HWND beside) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(beside ? beside : Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const core::Rect& shown = document_->crop();
    // As wide as the image or the toolbar in one row, whichever is wider, unless the work area is narrower.
    RECT frame{0, 0, std::max(shown.Width() + 2 * GetSystemMetrics(SM_CXEDGE), Scale(kBarWidth)), 0};
    AdjustWindowRectEx(&frame, GetWindowLongW(Handle(), GWL_STYLE), FALSE, GetWindowLongW(Handle(), GWL_EXSTYLE));
    const int width = std::min<int>(frame.right - frame.left, work.right - work.left);
    const int clientWidth = width - (frame.right - frame.left) +
                            std::max(shown.Width() + 2 * GetSystemMetrics(SM_CXEDGE), Scale(kBarWidth));
    RECT tall{0, 0, 0, toolbar_->HeightFor(clientWidth) + shown.Height() + 2 * GetSystemMetrics(SM_CYEDGE)};
    AdjustWindowRectEx(&tall, GetWindowLongW(Handle(), GWL_STYLE), FALSE, GetWindowLongW(Handle(), GWL_EXSTYLE));
    const int height = std::min<int>(tall.bottom - tall.top, work.bottom - work.top);
    SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MarkupWindow::LayoutView() {
    const SIZE client = ClientSize();
    const int top = toolbar_->HeightFor(client.cx);
    toolbar_->SetBounds(0, 0, client.cx, top);
    view_->SetBounds(0, top, client.cx, std::max<int>(0, client.cy - top));
    if (document_) {
        const core::Rect& shown = document_->crop();
        SetWindowPos(Canvas(), nullptr, 0, 0, shown.Width(), shown.Height(), SWP_NOMOVE | SWP_NOZORDER);
    }
    view_->UpdateScrollRange();
    InvalidateRect(Canvas(), nullptr, FALSE);
}

void MarkupWindow::DpiChanged() {
    LayoutView();
}

void MarkupWindow::Send(const core::MarkupEvent& event) {
    if (!document_) return;
    const core::MarkupAnswer answer = document_->Handle(event);
    if (answer.relayout) LayoutView();
    const core::Rect& shown = document_->crop();
    for (const core::Rect& area : answer.repaint) {
        pixels_->Render(*document_, area);
        RECT dirty{area.left - shown.left, area.top - shown.top, area.right - shown.left, area.bottom - shown.top};
        InvalidateRect(Canvas(), &dirty, FALSE);
    }
    ShowStyle();
    if (answer.open_text_entry) OpenTextBox(*answer.open_text_entry);
    if (answer.close) CloseAsked();
}

// The toolbar shows the document's style: its tool, the colour it draws with, its size.
void MarkupWindow::ShowStyle() {
    if (!document_) return;
    const core::MarkupStyle& style = document_->style();
    const core::MarkColour colour = style.tool == core::MarkupTool::Redact ? style.redaction_colour : style.colour;
    const int size = style.tool == core::MarkupTool::Text ? style.text_size_index : style.width_index;
    for (size_t i = 0; i < core::kMarkupToolCount; ++i)
        toolbar_->SetDown(i, static_cast<size_t>(style.tool) == i);
    for (size_t i = 0; i < core::kMarkColourCount; ++i)
        toolbar_->SetDown(kFirstColour + i, static_cast<size_t>(colour) == i);
    for (size_t i = 0; i < core::kStyleChoices; ++i)
        toolbar_->SetDown(kFirstSize + i, static_cast<size_t>(size) == i);
    toolbar_->Enable(kUndo, document_->CanUndo());
    toolbar_->Enable(kRedo, document_->CanRedo());
}

core::Point MarkupWindow::ImagePoint(LPARAM at) const {
    const core::Rect& shown = document_->crop();
    return {GET_X_LPARAM(at) + shown.left, GET_Y_LPARAM(at) + shown.top};
}

void MarkupWindow::CanvasMouse(UINT msg, WPARAM keys, LPARAM at) {
    if (!document_) return;
    const bool shift = (keys & MK_SHIFT) != 0;
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetFocus(Canvas());
        SetCapture(Canvas());
        pointerHeld_ = true;
        Send(core::PointerPressed{ImagePoint(at), shift});
        break;
    case WM_MOUSEMOVE:
        if (pointerHeld_) Send(core::PointerMoved{ImagePoint(at), shift});
        break;
    case WM_LBUTTONUP:
        if (!std::exchange(pointerHeld_, false)) break;
        ReleaseCapture();
        Send(core::PointerReleased{ImagePoint(at), shift});
        break;
    case WM_CAPTURECHANGED:
        // The mouse was taken away with the button held: the drag ends as if it had never begun.
        if (std::exchange(pointerHeld_, false)) Send(core::EscapeKey{});
        break;
    default:
        break;
    }
}

void MarkupWindow::FrameMouse(UINT msg, WPARAM keys, POINT at) {
    if (msg == WM_LBUTTONDOWN && document_) {
        frameDrag_.Press(view_->Handle(), at);
    } else if (msg == WM_MOUSEMOVE && frameDrag_.Moved(at, keys)) {
        if (!document_ || !OnDragOut) return;
        const SharedImage image = Output();
        if (OnDragOut(image) && document_) document_->MarkHandedOver();
    } else if (msg == WM_LBUTTONUP || msg == WM_CAPTURECHANGED) {
        frameDrag_.End();
    }
}

void MarkupWindow::PaintCanvas() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Canvas(), &ps);
    if (document_) {
        const core::Rect& shown = document_->crop();
        const core::Rect dirty{ps.rcPaint.left + shown.left, ps.rcPaint.top + shown.top, ps.rcPaint.right + shown.left,
                               ps.rcPaint.bottom + shown.top};
        const core::Rect area = core::Intersection(dirty, shown);
        pixels_->Paint(dc, area, {area.left - shown.left, area.top - shown.top});
    }
    EndPaint(Canvas(), &ps);
}

bool MarkupWindow::SetCanvasCursor() {
    if (!document_) return false;
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(Canvas(), &at);
    SetCursor(LoadCursorW(nullptr, CursorFor(document_->PointerShapeAt(ImagePoint(MAKELPARAM(at.x, at.y))))));
    return true;
}

// --- Text: an edit box where the text tool was pressed, for the input method's sake -----------

void MarkupWindow::OpenTextBox(const core::TextEntryRequest& request) {
    EndTextBox(true);
    textEntry_ = request;
    const core::Rect& shown = document_->crop();
    textBox_ = CreateWindowExW(0, WC_EDITW, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN,
                               request.anchor.x - shown.left, request.anchor.y - shown.top, kTextBoxMinimumWidth,
                               request.font_height + 4, Canvas(), nullptr, Application::Get().Instance(), nullptr);
    SendMessageW(textBox_, WM_SETFONT, reinterpret_cast<WPARAM>(pixels_->Glyphs().TextFont(request.size_index)), FALSE);
    SendMessageW(textBox_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    ResizeTextBox();
    SetFocus(textBox_);
}

// The box grows with its text, as the text will stand in the image.
void MarkupWindow::ResizeTextBox() {
    if (!textBox_ || !textEntry_) return;
    const SIZE size = pixels_->Glyphs().MeasureText(WindowText(textBox_), textEntry_->size_index);
    SetWindowPos(textBox_, nullptr, 0, 0, std::max<int>(size.cx + kTextBoxMinimumWidth, kTextBoxMinimumWidth),
                 std::max<int>(size.cy, textEntry_->font_height) + 4, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MarkupWindow::EndTextBox(bool commit) {
    if (!textEntry_) return;
    const core::TextEntryRequest request = *std::exchange(textEntry_, std::nullopt);
    std::wstring text = WindowText(textBox_);
    // The box's lines end in "\r\n"; the mark's in "\n".
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    DestroyWindow(std::exchange(textBox_, nullptr));
    if (document_ && IsWindowVisible(Handle())) SetFocus(Canvas());
    if (!commit || text.empty()) {
        Send(core::TextCancelled{});
        return;
    }
    const SIZE size = pixels_->Glyphs().MeasureText(text, request.size_index);
    Send(core::TextCommitted{request.anchor, text, size.cx, size.cy});
}

// Enter ends the text, Shift+Enter starts a new line, Escape drops it.
bool MarkupWindow::TextBoxKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_RETURN && !Held(VK_SHIFT)) {
        EndTextBox(true);
        return true;
    }
    if (msg.wParam == VK_ESCAPE) {
        EndTextBox(false);
        return true;
    }
    return false;
}

// --- Keys: each tool one key away, the rest with Ctrl --------------------------------------------

bool MarkupWindow::KeyDown(WPARAM key) {
    const bool control = Held(VK_CONTROL), shift = Held(VK_SHIFT);
    if (Held(VK_MENU)) return false;
    if (control) {
        if (key == 'Z')
            Send(shift ? core::MarkupEvent{core::RedoChosen{}} : core::MarkupEvent{core::UndoChosen{}});
        else if (key == 'Y')
            Send(core::RedoChosen{});
        else if (key == 'C')
            CopyImage();
        else if (key == 'S')
            SaveImage();
        else
            return false;
        return true;
    }
    if (const auto tool = core::ToolForKey(static_cast<char32_t>(key))) {
        Send(core::ToolChosen{*tool});
        return true;
    }
    switch (key) {
    case VK_DELETE:
        Send(core::DeleteKey{});
        return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        Send(core::ArrowKey{key == VK_LEFT    ? -1
                            : key == VK_RIGHT ? 1
                                              : 0,
                            key == VK_UP     ? -1
                            : key == VK_DOWN ? 1
                                             : 0,
                            shift});
        return true;
    case VK_ESCAPE:
        Send(core::EscapeKey{});
        return true;
    case VK_RETURN:
        Finish();
        return true;
    default:
        return false;
    }
}

bool MarkupWindow::PreTranslateMessage(MSG& msg) {
    if (!document_) return Form::PreTranslateMessage(msg);
    // The text box takes every key but those that end it, the input method's included.
    if (textBox_ && msg.hwnd == textBox_) return TextBoxKey(msg);
    if (msg.message == WM_KEYDOWN && KeyDown(msg.wParam)) return true;
    return Form::PreTranslateMessage(msg);
}

// --- Handing over, closing -----------------------------------------------------------------------

SharedImage MarkupWindow::Output() {
    EndTextBox(true);
    return std::make_shared<const CapturedImage>(pixels_->Output(*document_));
}

void MarkupWindow::Finish() {
    if (!document_) return;
    const SharedImage image = Output();
    document_->MarkHandedOver();
    Close();
    if (OnDone) OnDone(image);
}

void MarkupWindow::CopyImage() {
    if (!document_) return;
    const SharedImage image = Output();
    if (OnCopy) OnCopy(image);
    document_->MarkHandedOver();
}

void MarkupWindow::SaveImage() {
    if (!document_) return;
    const SharedImage image = Output();
    if (OnSave && OnSave(image)) document_->MarkHandedOver();
}

bool MarkupWindow::CloseAsked() {
    if (!document_) return true;
    EndTextBox(false);
    if (document_->HasChangesNotHandedOver()) {
        Application& app = Application::Get();
        if (app.ShowMessage(Texts().editorDiscardQuestion, app.Title().c_str(),
                            MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return false;
    }
    Close();
    return true;
}

// Hidden, and what the document held let go of; the window is kept for the next time.
void MarkupWindow::Close() {
    EndTextBox(false);
    if (pointerHeld_) ReleaseCapture();
    SetVisible(false);
    document_.reset();
    pixels_.reset();
}

LRESULT MarkupWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE:
        CloseAsked();
        return 0;
    case WM_SIZE:
        LayoutView();
        break;
    case WM_ACTIVATE:
        // Back to the image, where the keys are heard.
        if (LOWORD(wParam) != WA_INACTIVE && document_ && !textBox_) {
            SetFocus(Canvas());
            return 0;
        }
        break;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

} // namespace kelpix
