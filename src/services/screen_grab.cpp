#include "services/screen_grab.h"

#include "core/capture_rect.h"
#include "services/platform.h"
#include "services/window_facts.h"
#include "services/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace kelpix {

namespace {

constexpr UINT kPrintFullContent = 2; // PW_RENDERFULLCONTENT: also what the GPU draws (Windows 8.1 and later)

// The cursor the pointer shows now. With the left button held (a delayed capture during a drag) it
// belongs to the foreground window; otherwise to the window under the pointer.
HCURSOR CursorShownNow() {
    POINT now{};
    GetCursorPos(&now);
    HWND owner = GetKeyState(VK_LBUTTON) < 0 ? GetForegroundWindow() : WindowFromPoint(now);
    DWORD ownThread = GetCurrentThreadId();
    DWORD ownerThread = GetWindowThreadProcessId(owner, nullptr);
    bool attached = ownerThread != 0 && ownerThread != ownThread && AttachThreadInput(ownerThread, ownThread, TRUE);
    HCURSOR cursor = GetCursor();
    if (attached) AttachThreadInput(ownerThread, ownThread, FALSE);
    return cursor;
}

void DrawCursor(HDC image, HCURSOR cursor, POINT pointer, POINT origin) {
    ICONINFO info{};
    if (!cursor || !GetIconInfo(cursor, &info)) return;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DrawIconEx(image, pointer.x - origin.x - static_cast<int>(info.xHotspot),
               pointer.y - origin.y - static_cast<int>(info.yHotspot), cursor, 0, 0, 0, nullptr, DI_NORMAL);
}

} // namespace

namespace {

// The whole window printed into pixels this program can read. The print runs on a thread of its own:
// a window that answers and then hangs while it draws holds that thread, never the program's. A
// print still running when the time is up is left to finish, or not, on its own; what it prints
// into belongs to it and goes with it.
class WindowPrint {
public:
    WindowPrint(HWND window, int width, int height) : window_(window) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        dc_.reset(CreateCompatibleDC(nullptr));
        if (bitmap_ && dc_) SelectObject(dc_.get(), bitmap_.get());
    }
    const uint32_t* Pixels() const { return static_cast<const uint32_t*>(bits_); }
    HDC Dc() const { return dc_.get(); }

    // Whether the window printed itself within the time; a window of this thread prints at once.
    static bool Run(const std::shared_ptr<WindowPrint>& print, DWORD timeoutMs) {
        if (!print->bits_ || !print->dc_) return false;
        if (GetWindowThreadProcessId(print->window_, nullptr) == GetCurrentThreadId()) {
            print->Print();
            return print->printed_;
        }
        auto* kept = new std::shared_ptr<WindowPrint>(print);
        KernelHandle thread(CreateThread(nullptr, 0, &WindowPrint::Thread, kept, 0, nullptr));
        if (!thread) {
            delete kept;
            return false;
        }
        return WaitForSingleObject(thread.get(), timeoutMs) == WAIT_OBJECT_0 && print->printed_;
    }

private:
    void Print() {
        printed_ = PrintWindow(window_, dc_.get(), kPrintFullContent) != FALSE;
        GdiFlush();
    }
    static DWORD WINAPI Thread(void* parameter) {
        const std::unique_ptr<std::shared_ptr<WindowPrint>> print(
            static_cast<std::shared_ptr<WindowPrint>*>(parameter));
        (*print)->Print();
        return 0;
    }

    HWND window_;
    Bitmap bitmap_;
    MemoryDc dc_; // made after the bitmap, so deleted before it
    void* bits_ = nullptr;
    std::atomic<bool> printed_{false};
};

} // namespace

CapturedImage PrintWindowImage(HWND window, POINT& origin) {
    CapturedImage printed;
    if (!IsWindow(window) || IsIconic(window) || (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) return printed;
    RECT whole{};
    GetWindowRect(window, &whole);
    const core::Rect windowRect = RectOf(whole);
    const core::Rect area = core::PrintedArea(windowRect, VisibleBounds(window));
    if (area.Empty()) return printed;

    // A program that does not answer within the time gets the screen copy instead.
    const auto print = std::make_shared<WindowPrint>(window, windowRect.Width(), windowRect.Height());
    if (!WindowPrint::Run(print, kPrintAnswerMs)) return printed;
    if (core::OneColour(print->Pixels(), static_cast<std::size_t>(windowRect.Width()) * windowRect.Height()))
        return printed;

    CapturedImage image = BlankImage({area.Width(), area.Height()});
    if (!image.bitmap) return printed;
    {
        MemoryDc imageDc(CreateCompatibleDC(nullptr));
        SelectGuard keep(imageDc.get(), image.bitmap.get());
        BitBlt(imageDc.get(), 0, 0, area.Width(), area.Height(), print->Dc(), area.left, area.top, SRCCOPY);
    }
    origin = {windowRect.left + area.left, windowRect.top + area.top};
    return image;
}

namespace {

// The window printed by itself, the cursor drawn in when asked; no bitmap where it cannot be.
CapturedImage PrintedWithCursor(HWND window, bool withCursor, core::Rect& captured) {
    POINT pointer{}, origin{};
    GetCursorPos(&pointer);
    CapturedImage image = PrintWindowImage(window, origin);
    if (!image.bitmap) return image;
    captured = {origin.x, origin.y, origin.x + image.size.cx, origin.y + image.size.cy};
    if (withCursor) {
        MemoryDc imageDc(CreateCompatibleDC(nullptr));
        SelectGuard keep(imageDc.get(), image.bitmap.get());
        DrawCursor(imageDc.get(), CursorShownNow(), pointer, origin);
    }
    return image;
}

// The window's visible area copied from the screen, the cursor drawn in when asked.
CapturedImage CopiedWithCursor(HWND window, bool withCursor, core::Rect& captured) {
    CapturedImage grabbed;
    const core::Rect bounds = IsIconic(window) ? core::Rect{} : VisibleBounds(window);
    captured = core::CaptureRect(bounds, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), VirtualScreen());
    if (captured.Empty()) return grabbed;
    WindowDc screen;
    if (!screen) return grabbed;
    grabbed = BlankImage({captured.Width(), captured.Height()});
    // A window that is there but whose picture finds no room (a huge capture in the 32-bit program).
    if (!grabbed.bitmap) throw Error(Texts().outOfMemory);
    POINT pointer{};
    GetCursorPos(&pointer);
    MemoryDc imageDc(CreateCompatibleDC(screen.get()));
    SelectGuard keep(imageDc.get(), grabbed.bitmap.get());
    BitBlt(imageDc.get(), 0, 0, captured.Width(), captured.Height(), screen.get(), captured.left, captured.top,
           SRCCOPY | CAPTUREBLT);
    if (withCursor) DrawCursor(imageDc.get(), CursorShownNow(), pointer, {captured.left, captured.top});
    return grabbed;
}

} // namespace

CapturedImage GrabWindow(HWND window, GrabOptions options) {
    core::Rect captured;
    CapturedImage image;
    if (options.printed) image = PrintedWithCursor(window, options.withCursor, captured);
    if (!image.bitmap) image = CopiedWithCursor(window, options.withCursor, captured);
    if (!image.bitmap) return image;
    image.dpi = static_cast<uint32_t>(
        Application::Get().MonitorDpi({(captured.left + captured.right) / 2, (captured.top + captured.bottom) / 2}));
    if (options.shaped) image.shapeMask = core::WindowShapeMask(ShapeFactsOf(window, captured));
    return image;
}

} // namespace kelpix
