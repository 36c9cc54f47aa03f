#include "services/screen_grab.h"

#include "core/capture_rect.h"
#include "services/platform.h"
#include "services/texts.h"
#include "toolkit/error.h"

#include <cstdint>

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

ScreenImage PrintWindowImage(HWND window, POINT& origin) {
    ScreenImage printed;
    if (!IsWindow(window) || IsIconic(window) || (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) return printed;
    // A program that does not answer would hold the print, and this program with it, as long as it hangs.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kPrintAnswerMs, &answer))
        return printed;
    RECT whole{};
    GetWindowRect(window, &whole);
    const RECT bounds = VisibleBounds(window);
    const core::Rect windowRect{whole.left, whole.top, whole.right, whole.bottom};
    const core::Rect area = core::PrintedArea(windowRect, {bounds.left, bounds.top, bounds.right, bounds.bottom});
    if (area.Empty()) return printed;

    // The whole window, in pixels this program can read.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = windowRect.Width();
    info.bmiHeader.biHeight = -windowRect.Height(); // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    WindowDc screen;
    if (!screen) return printed;
    Bitmap whole32(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!whole32 || !bits) return printed;
    MemoryDc wholeDc(CreateCompatibleDC(screen.get()));
    SelectGuard keepWhole(wholeDc.get(), whole32.get());
    if (!PrintWindow(window, wholeDc.get(), kPrintFullContent)) return printed;
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    if (core::OneColour(pixels, static_cast<std::size_t>(windowRect.Width()) * windowRect.Height())) return printed;

    Bitmap image(CreateCompatibleBitmap(screen.get(), area.Width(), area.Height()));
    if (!image) return printed;
    {
        MemoryDc imageDc(CreateCompatibleDC(screen.get()));
        SelectGuard keep(imageDc.get(), image.get());
        BitBlt(imageDc.get(), 0, 0, area.Width(), area.Height(), wholeDc.get(), area.left, area.top, SRCCOPY);
    }
    origin = {windowRect.left + area.left, windowRect.top + area.top};
    printed.bitmap = std::move(image);
    printed.size = {area.Width(), area.Height()};
    return printed;
}

ScreenImage GrabWindow(HWND window, bool withCursor, bool printed) {
    if (printed) {
        POINT pointer{}, origin{};
        GetCursorPos(&pointer);
        ScreenImage image = PrintWindowImage(window, origin);
        if (image.bitmap) {
            if (withCursor) {
                WindowDc screen;
                MemoryDc imageDc(CreateCompatibleDC(screen.get()));
                SelectGuard keep(imageDc.get(), image.bitmap.get());
                DrawCursor(imageDc.get(), CursorShownNow(), pointer, origin);
            }
            return image;
        }
    }
    ScreenImage grabbed;
    RECT bounds = IsIconic(window) ? RECT{} : VisibleBounds(window);
    core::Rect area = core::CaptureRect({bounds.left, bounds.top, bounds.right, bounds.bottom},
                                        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), VirtualScreen());
    if (area.Empty()) return grabbed;
    WindowDc screen;
    if (!screen) return grabbed;
    Bitmap image(CreateCompatibleBitmap(screen.get(), area.Width(), area.Height()));
    if (!image) return grabbed;
    POINT pointer{};
    GetCursorPos(&pointer);
    {
        MemoryDc imageDc(CreateCompatibleDC(screen.get()));
        SelectGuard keep(imageDc.get(), image.get());
        BitBlt(imageDc.get(), 0, 0, area.Width(), area.Height(), screen.get(), area.left, area.top,
               SRCCOPY | CAPTUREBLT);
        if (withCursor) DrawCursor(imageDc.get(), CursorShownNow(), pointer, {area.left, area.top});
    }
    grabbed.bitmap = std::move(image);
    grabbed.size = {area.Width(), area.Height()};
    return grabbed;
}

} // namespace kelpix
