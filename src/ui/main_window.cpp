#include "ui/main_window.h"

#include "core/version_record.h"
#include "services/global_keys.h"
#include "services/platform.h"
#include "services/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"
#include "toolkit/system_library.h"

#include <commctrl.h>
#include <cstdlib>
#include <utility>
#include <vector>

namespace kelpix {

namespace {

constexpr int kDesignedClientWidth = 294;
constexpr int kClientHeight = 126;
constexpr int kLeftColumnWidth = 89; // holds the target and the toggles
constexpr int kTopLineHeight = 2;
constexpr int kTargetIconDesignedSize = 32;
constexpr BYTE kTranslucentAlpha = 178; // of 255, while the window is translucent

} // namespace

UINT ShowRunningMessage() {
    static const UINT message = RegisterWindowMessageW(L"Kelpix.ShowRunning");
    return message;
}

std::wstring MainWindow::VersionText(HMODULE module) {
    HRSRC info = FindResourceW(module, L"#1", MAKEINTRESOURCEW(16));
    if (!info) return Texts().versionUnknown;
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module, info);
    if (!data || size == 0) return Texts().versionUnknown;
    // Read here rather than with the version library, which start-up then need not load.
    const auto version = core::FileVersionIn({static_cast<const uint8_t*>(data), size});
    if (!version) return Texts().versionUnknown;
    return std::to_wstring(version->major) + L"." + std::to_wstring(version->minor);
}

MainWindow::MainWindow(SessionPort& session, const core::Settings& shown)
    : session_(session), menus_(CreateMainMenus()) {
    FormLayout layout{kClassName, L"Kelpix"};
    layout.left = 248;
    layout.top = 127;
    layout.clientWidth = kDesignedClientWidth;
    layout.clientHeight = kClientHeight;
    layout.menu = menus_.bar;
    CreateForm(layout);
    CreateControls();

    defaultClientSize_ = ClientSize();
    // A second start asks to be shown instead; it may come from a program of lower rights than an
    // elevated Kelpix, and asking only shows the window.
    AllowMessageFromAnyProgram(Handle(), ShowRunningMessage());

    ShowCaption();
    ShowSettings(shown);
}

MainWindow::~MainWindow() {
    if (Application::Get().ScreenCursor() == targetIconImage_.get()) Application::Get().SetScreenCursor(nullptr);
    if (menus_.shortcuts) DestroyAcceleratorTable(menus_.shortcuts);
    // The menu bar belongs to the window and goes with it; the context menu is ours.
    if (menus_.context) DestroyMenu(menus_.context);
}

void MainWindow::ShowCaption() {
    SetText(core::FillIn(Texts().captionFormat, {VersionText()}));
}

void MainWindow::ShowDelay(int32_t seconds) {
    delaySeconds_ = seconds;
    delayButton_->SetCaption(core::FillIn(Texts().delayButtonFormat, {std::to_wstring(seconds)}));
}

void MainWindow::ShowTexts() {
    ShowCaption();
    ShowDelay(delaySeconds_);
    cursorButton_->SetCaption(Texts().cursorButton);
    recopyButton_->SetCaption(Texts().recopyButton);
    const MainMenus old = std::exchange(menus_, CreateMainMenus());
    SetMenu(Handle(), menus_.bar);
    TickTranslucentItems();
    DestroyMenu(old.bar);
    DestroyMenu(old.context);
    DestroyAcceleratorTable(old.shortcuts);
    RefreshFont();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void MainWindow::CreateControls() {
    // Creation order is the tab order: the image box, the target panel, the delay arrows.
    imageBox_ =
        std::make_unique<ScrollBox>(*this, Handle(), Placement{kLeftColumnWidth, kTopLineHeight, 205, 148}, true);
    lastImage_ = std::make_unique<ImageView>(*this, imageBox_->Handle(), Placement{0, 0, 81, 49});
    lastImage_->OnMouse = [this](UINT msg, WPARAM keys, POINT pos) { ImageMouse(msg, keys, pos); };

    targetPanel_ = std::make_unique<Panel>(*this, Handle(), Placement{8, 11, 72, 38}, true);
    targetIcon_ = std::make_unique<ImageView>(*this, targetPanel_->Handle(), Placement{20, 2, 32, 32});
    LoadTargetIcon();
    targetPanel_->OnMouse = [this](UINT msg, WPARAM, POINT pos) { TargetIconMouse(*targetPanel_, msg, pos); };
    targetIcon_->OnMouse = [this](UINT msg, WPARAM, POINT pos) { TargetIconMouse(*targetIcon_, msg, pos); };

    delayButton_ = std::make_unique<SpeedButton>(*this, Handle(), Placement{0, 56, 65, 22}, L"", 1, true);
    delayArrows_ = CreateChild(UPDOWN_CLASSW, L"", WS_VISIBLE | WS_TABSTOP, 65, 54, 17, 24);
    SendMessageW(delayArrows_, UDM_SETRANGE32, core::kShortestDelay, core::kLongestDelay);
    cursorButton_ =
        std::make_unique<SpeedButton>(*this, Handle(), Placement{0, 80, 81, 22}, Texts().cursorButton, 2, true);
    recopyButton_ = std::make_unique<SpeedButton>(*this, Handle(), Placement{0, 104, 81, 22}, Texts().recopyButton);
    delayButton_->OnClick = [this] { Send(core::DelayToggled{delayButton_->Down()}); };
    cursorButton_->OnClick = [this] { Send(core::CursorToggled{cursorButton_->Down()}); };
    recopyButton_->OnClick = [this] { Send(core::RecopyClicked{}); };
    LayoutControls();
}

void MainWindow::LoadTargetIcon() {
    Application& app = Application::Get();
    // Drawn for the DPI in use (the resource holds 32, 48 and 64 pixels), not stretched.
    int size = Scale(kTargetIconDesignedSize);
    Icon icon(static_cast<HICON>(LoadImageW(app.Instance(), L"TARGETICON", IMAGE_ICON, size, size, 0)));
    if (!icon) return;
    targetIcon_->SetIcon(icon.get());
    // The target icon doubles as the drag cursor; an icon used as a cursor has its hot spot at its centre.
    if (targetIconImage_ && app.ScreenCursor() == targetIconImage_.get()) app.SetScreenCursor(icon.get());
    targetIconImage_ = std::move(icon);
}

void MainWindow::DpiChanged() {
    LoadTargetIcon();
    // The last image keeps its own size in pixels.
    if (LastImage()) lastImage_->SetSize(LastImageSize().cx, LastImageSize().cy);
    defaultClientSize_ = {Scale(kDesignedClientWidth), Scale(kClientHeight)};
    LayoutControls();
    imageBox_->UpdateScrollRange();
}

void MainWindow::LayoutControls() {
    if (!imageBox_) return;
    SIZE client = ClientSize();
    int left = Scale(kLeftColumnWidth), top = Scale(kTopLineHeight);
    imageBox_->SetBounds(left, top, std::max<int>(0, client.cx - left), std::max<int>(0, client.cy - top));
}

void MainWindow::ShowWithTaskbarButton(bool visible) {
    SetVisible(visible);
    ShowWindow(Application::Get().Handle(), visible ? SW_RESTORE : SW_HIDE);
}

void MainWindow::Restore() {
    ShowWithTaskbarButton(true);
    if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
    // Activation hands the keyboard focus to the control that had it last.
    SetForegroundWindow(Handle());
    SetActiveWindow(Handle());
    BringWindowToTop(Handle());
}

void MainWindow::ShowDragCursor(bool dragging) {
    Application::Get().SetScreenCursor(dragging ? targetIconImage_.get() : nullptr);
    targetIcon_->SetVisible(!dragging);
}

void MainWindow::ShowSettings(const core::Settings& settings) {
    cursorButton_->SetDown(settings.draw_cursor);
    // The arrows hold a 16-bit position within 1..99; a delay outside that range leaves them at the
    // nearer end, while the delay itself stays as it is.
    SendMessageW(delayArrows_, UDM_SETPOS32, 0, static_cast<int16_t>(settings.delay_seconds));
    delayArrowsPosition_ = static_cast<int>(SendMessageW(delayArrows_, UDM_GETPOS32, 0, 0));
    ShowDelay(settings.delay_seconds);
    delayButton_->SetDown(settings.delayed_capture);
}

void MainWindow::ImageMouse(UINT msg, WPARAM keys, POINT pos) {
    if (msg == WM_MOUSEMOVE) {
        if (imageDrag_.Moved(pos, keys)) Send(core::ImageDragged{});
        return;
    }
    if (msg != WM_LBUTTONDOWN) {
        if (msg == WM_LBUTTONUP || msg == WM_CAPTURECHANGED) imageDrag_.End();
        return;
    }
    const DWORD now = static_cast<DWORD>(GetMessageTime());
    const bool twice = imagePressTime_ != 0 && now - imagePressTime_ <= GetDoubleClickTime() &&
                       std::abs(pos.x - imagePressAt_.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                       std::abs(pos.y - imagePressAt_.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    imagePressTime_ = twice ? 0 : now;
    imagePressAt_ = pos;
    if (twice)
        Choose(core::Command::EditImage);
    else if (current_)
        imageDrag_.Press(lastImage_->Handle(), pos);
}

void MainWindow::DelayArrowsUsed() {
    // At either end of the range an arrow leaves the position as it was: that changes nothing.
    const int position = static_cast<int>(SendMessageW(delayArrows_, UDM_GETPOS32, 0, 0));
    if (position == delayArrowsPosition_) return;
    Send(core::DelayChanged{position});
}

void MainWindow::PressRecopyButton(bool down) {
    recopyButton_->SetDown(down);
    UpdateWindow(Handle());
}

void MainWindow::ShowImage(SharedImage image) {
    current_ = std::move(image);
    const SIZE size = LastImageSize();
    lastImage_->SetBitmap(LastImage(), size);
    lastImage_->SetSize(size.cx, size.cy);
    imageBox_->UpdateScrollRange();
}

void MainWindow::ShowImage(Bitmap image, SIZE size) {
    auto shown = std::make_shared<CapturedImage>();
    if (image) shown->size = size;
    shown->bitmap = std::move(image);
    shown->dpi = static_cast<uint32_t>(Application::Get().Dpi());
    shown->facts = CaptureFactsOf(nullptr);
    ShowImage(shown->bitmap ? SharedImage(std::move(shown)) : nullptr);
}

void MainWindow::RestoreDefaultSize() {
    SetClientHeight(defaultClientSize_.cy);
    SetClientSize(defaultClientSize_.cx, ClientSize().cy);
    // A menu bar that wrapped in a narrower window takes its lines back with the width: measure again.
    if (ClientSize().cy != defaultClientSize_.cy) SetClientHeight(defaultClientSize_.cy);
}

void MainWindow::FitToWindowBelow() {
    // Hidden first, so that the window below is the one found at the corner.
    ShowWithTaskbarButton(false);
    RECT own{};
    GetWindowRect(Handle(), &own);
    // Whatever lies there, a control inside another program's window included, as it comes.
    HWND below = WindowFromPoint(POINT{own.left, own.top});
    RECT r{};
    GetWindowRect(below, &r);
    MoveWindow(Handle(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ShowWithTaskbarButton(true);
}

void MainWindow::TickTranslucentItems() {
    const UINT check = MF_BYCOMMAND | (translucent_ ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(menus_.bar, MenuId(core::Command::Translucent), check);
    CheckMenuItem(menus_.context, MenuId(core::Command::Translucent), check);
}

void MainWindow::ShowTranslucent(bool on) {
    translucent_ = on;
    TickTranslucentItems();
    LONG style = GetWindowLongW(Handle(), GWL_EXSTYLE);
    if (on) {
        SetWindowLongW(Handle(), GWL_EXSTYLE, style | WS_EX_LAYERED);
        SetLayeredWindowAttributes(Handle(), 0, kTranslucentAlpha, LWA_ALPHA);
    } else {
        SetWindowLongW(Handle(), GWL_EXSTYLE, style & ~WS_EX_LAYERED);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

// A window as a capture takes it: any part of the main window counts as the main window itself.
// (The application window owns it, but an owner that is not a popup's is not in the chain
// GA_ROOTOWNER follows.)
static core::WindowId AsPicked(HWND candidate, HWND main) {
    if (candidate && GetAncestor(candidate, GA_ROOTOWNER) == main) candidate = main;
    return IdOf(candidate);
}
// The window under a screen point, a control inside another program's window included.
static core::WindowId WindowAt(POINT at, HWND main) {
    return AsPicked(WindowFromPoint(at), main);
}

// The target panel and its icon share these messages. A left press on either makes the panel take
// the mouse capture, so that the moves and the release reach it wherever the pointer goes, also
// while the icon is hidden; the capture is released before the release is handled.
void MainWindow::TargetIconMouse(Window& control, UINT msg, POINT pos) {
    Window& sender = pressedControl_ ? *pressedControl_ : control;
    if (&sender != &control) MapWindowPoints(control.Handle(), sender.Handle(), &pos, 1);
    switch (msg) {
    case WM_LBUTTONDOWN: {
        // A second press during a drag (its release was lost) keeps the capture the panel holds:
        // taking it again would report its loss, which must not be taken for a cancel.
        pressedControl_ = nullptr;
        if (GetCapture() != targetPanel_->Handle()) SetCapture(targetPanel_->Handle());
        pressedControl_ = &control;
        POINT at{};
        GetCursorPos(&at);
        Send(core::TargetPressed{WindowAt(at, Handle())});
        break;
    }
    case WM_MOUSEMOVE:
        ClientToScreen(sender.Handle(), &pos);
        Send(core::PointerOver{WindowAt(pos, Handle())});
        break;
    case WM_LBUTTONUP:
        if (pressedControl_) {
            pressedControl_ = nullptr; // first, so that the capture's loss below is not taken for a cancel
            ReleaseCapture();
        }
        Send(core::Released{session_.SceneAtRelease()});
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (or the system cancelled the mode) with the button still held.
        if (pressedControl_) {
            pressedControl_ = nullptr;
            Send(core::DragCancelled{});
        }
        break;
    default:
        break;
    }
}

void MainWindow::Choose(core::Command command, uint32_t captureNumber) {
    Send(core::CommandChosen{command, IdOf(Handle()), Application::Get().ModalUp(), CompositorRuns(),
                             current_ != nullptr, captureNumber});
}

bool MainWindow::CanClose() {
    // The session decides: it answers with the program's end (core::Act::EndProgram) or the store in
    // the notification area.
    Send(core::CloseRequested{});
    return false;
}

bool MainWindow::PreTranslateMessage(MSG& msg) {
    if (menus_.shortcuts && TranslateAcceleratorW(Handle(), menus_.shortcuts, &msg)) return true;
    return Form::PreTranslateMessage(msg);
}

void MainWindow::Paint() {
    // The etched line under the menu bar, across the window.
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT line{0, 0, ClientSize().cx, Scale(kTopLineHeight)};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP | BF_BOTTOM);
    EndPaint(Handle(), &ps);
}

void MainWindow::HookReported(WPARAM mouseMessage) {
    if (mouseMessage == WM_MOUSEMOVE) {
        POINT at{};
        GetCursorPos(&at);
        Send(core::HookMove{WindowAt(at, Handle())});
    } else if (mouseMessage == WM_LBUTTONUP) {
        Send(core::HookRelease{session_.SceneAtRelease()});
    }
}

void MainWindow::ShortcutKeyPressed(WPARAM keyId) {
    // The window is picked when the key is pressed; a delayed capture grabs that one.
    core::WindowId picked = core::kNoWindow;
    if (keyId == kPointerWindowKeyId) {
        POINT at{};
        GetCursorPos(&at);
        picked = WindowAt(at, Handle());
    } else if (keyId == kActiveWindowKeyId) {
        picked = AsPicked(GetForegroundWindow(), Handle());
    }
    Send(core::CaptureKeyPressed{picked, Application::Get().ModalUp(), session_.SceneAtRelease(picked)});
}

void MainWindow::ShowContextMenu(LPARAM lParam) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    // From the keyboard: at the window's corner.
    if (at.x == -1 && at.y == -1) {
        RECT r{};
        GetWindowRect(Handle(), &r);
        at = {r.left, r.top};
    }
    TrackPopupMenu(menus_.context, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == ShowRunningMessage() && msg != 0) {
        Send(core::AnotherStart{Application::Get().ModalUp()});
        return 0;
    }
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) > 1 || lParam != 0) break;
        if (const auto number = recentMenu_.NumberOf(LOWORD(wParam)))
            Choose(core::Command::RecentCapture, *number);
        else
            Choose(static_cast<core::Command>(LOWORD(wParam)));
        return 0;
    case WM_INITMENUPOPUP:
        recentMenu_.Fill(reinterpret_cast<HMENU>(wParam), session_.RecentCaptures());
        break;
    case WM_SIZE:
        LayoutControls();
        break;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SHOWWINDOW:
        // Posted, so the window is fully shown before it may go into the notification area.
        if (wParam && !std::exchange(firstShowDone_, true)) PostMessageW(Handle(), WM_AFTERSHOW, 0, 0);
        break;
    case WM_AFTERSHOW:
        Send(core::FirstShown{});
        return 0;
    case WM_HOOKMOUSE:
        HookReported(wParam);
        return 0;
    case WM_HOTKEY:
        ShortcutKeyPressed(wParam);
        return 0;
    case WM_QUERYENDSESSION:
        Send(core::SessionEndQueried{});
        return TRUE;
    case WM_ENDSESSION:
        Send(core::SessionEnded{wParam != 0});
        return 0;
    case WM_VSCROLL:
        // The arrows report every use, also one that changed nothing.
        if (reinterpret_cast<HWND>(lParam) != delayArrows_) break;
        if (LOWORD(wParam) == SB_THUMBPOSITION) DelayArrowsUsed();
        return 0;
    case WM_CONTEXTMENU:
        ShowContextMenu(lParam);
        return 0;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

} // namespace kelpix
