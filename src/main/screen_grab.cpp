#include "main/screen_grab.h"

#include "core/capture_rect.h"
#include "main/platform.h"
#include "main/texts.h"
#include "toolkit/error.h"

namespace kelpix {

namespace {

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

ScreenImage GrabWindow(HWND window, bool withCursor) {
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
