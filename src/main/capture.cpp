// The capture sequence: hide, wait, copy the target's screen area into the image, draw the cursor
// in, show again, put the image on the clipboard, and keep further captures off for 200 ms.
#include "main/kelpix_main.h"

#include "core/capture_rect.h"
#include "main/platform.h"
#include "main/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"
#include "tray/task_form.h"

#include <algorithm>

namespace kelpix {

namespace {

constexpr UINT kCooldown = 200;      // ms after a grab before another capture may start
constexpr UINT kCountdownTick = 1000;
// The shortest delay, as the main window's up-down control and the options dialog offer it.
constexpr int kShortestDelay = 1;

core::Rect ToCore(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

core::Rect VirtualScreen() {
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

} // namespace

void TKelpix::BeginBusy() {
    CaptureBusy = true;
    // A cooldown still pending from the capture before must not end this one's busy time.
    Timer1.SetEnabled(false);
}

void TKelpix::N10Click() {
    if (CaptureBusy || InTray) return;
    BeginBusy();
    TargetWindow = Handle();
    StartCapture();
}

void TKelpix::StartCapture() {
    ShowMainWindow(false);
    if (OptionSettings.TimeCapture) {
        // The grab comes from the countdown's last tick. A delay below one second, which only a
        // hand-written settings file can hold, counts from one: from 0 the first tick would grab at
        // once and the running timer again a second later, and from below 0 it would never end.
        TimeCaptureCount = std::max(OptionSettings.Time, kShortestDelay);
        TimeCaptureTimer.SetInterval(kCountdownTick);
        TimeCaptureTimerTimer();
        TimeCaptureTimer.SetEnabled(true);
        return;
    }
    Sleep(RepaintWait);
    GrabTarget();
}

void TKelpix::TimeCaptureTimerTimer() {
    if (TimeCaptureCount > 0) {
        // Above 99 the default icon stands until the count comes down to the numbered ones.
        TaskForm->UpdateTrayIcon(true, TimeCaptureCount);
        --TimeCaptureCount;
        return;
    }
    // In the notification area the default icon comes back; otherwise the icon goes.
    TaskForm->UpdateTrayIcon(InTray, 0);
    TimeCaptureTimer.SetEnabled(false);
    GrabTarget();
}

void TKelpix::CancelDelayedCapture() {
    TimeCaptureTimer.SetEnabled(false);
    if (InTray) {
        TaskForm->UpdateTrayIcon(true, 0);
    } else {
        TaskForm->UpdateTrayIcon(false, 0);
        ShowMainWindow(true);
    }
    TimeCaptureCount = 0;
    StartCooldown();
}

void TKelpix::GrabTarget() {
    HWND target = TargetWindow;
    try {
        RECT window = IsIconic(target) ? RECT{} : VisibleBounds(target);
        core::Rect area = core::CaptureRect(ToCore(window), GetSystemMetrics(SM_CXSCREEN),
                                            GetSystemMetrics(SM_CYSCREEN), VirtualScreen());
        int width = area.Width(), height = area.Height();
        // A target that has gone, is minimised or lies off every screen has nothing to show: the
        // last image and the clipboard stay as they were.
        if (area.Empty()) throw Error("nothing to capture");

        WindowDc screen;
        if (!screen) throw Error("GetDC failed");
        Bitmap image(CreateCompatibleBitmap(screen.get(), width, height));
        if (!image) throw Error("CreateCompatibleBitmap failed");
        POINT pointer{};
        GetCursorPos(&pointer);
        {
            MemoryDc imageDc(CreateCompatibleDC(screen.get()));
            SelectGuard keep(imageDc.get(), image.get());
            BitBlt(imageDc.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY | CAPTUREBLT);
            if (SpeedButton2->Down()) DrawCursorOverlay(imageDc.get(), pointer, {area.left, area.top});
        }
        Image1->SetBitmap(std::move(image), {width, height});
        Image1->SetSize(width, height);
        ScrollBox1->UpdateScrollRange();

        if (!InTray) ShowMainWindow(true);
        CopyImageToClipboard();
    } catch (...) {
        // A failed grab is silent; the cooldown below still runs.
    }
    // Whatever failed, the main window is not left hidden outside the notification area.
    if (!InTray && !Visible()) ShowMainWindow(true);
    StartCooldown();
}

void TKelpix::DrawCursorOverlay(HDC imageDc, POINT pointer, POINT origin) {
    POINT now{};
    GetCursorPos(&now);
    // With the left button held (a delayed capture during a drag) the cursor belongs to the
    // foreground window; otherwise to the window under the pointer.
    HWND owner = GetKeyState(VK_LBUTTON) < 0 ? GetForegroundWindow() : WindowFromPoint(now);
    DWORD ownThread = GetCurrentThreadId();
    DWORD ownerThread = GetWindowThreadProcessId(owner, nullptr);
    bool attached = ownerThread != 0 && ownerThread != ownThread && AttachThreadInput(ownerThread, ownThread, TRUE);
    HCURSOR cursor = GetCursor();
    if (attached) AttachThreadInput(ownerThread, ownThread, FALSE);

    Application::Get().Cursor(5) = cursor;
    Image3->SetIcon(cursor);
    if (!cursor) return;

    ICONINFO info{};
    if (!GetIconInfo(cursor, &info)) return;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DrawIconEx(imageDc, pointer.x - origin.x - static_cast<int>(info.xHotspot),
               pointer.y - origin.y - static_cast<int>(info.yHotspot), cursor, 0, 0, 0, nullptr, DI_NORMAL);
}

void TKelpix::CopyImageToClipboard() {
    Bitmap copy;
    SIZE size = Image1->BitmapSize();
    if (HBITMAP image = Image1->BitmapHandle()) {
        WindowDc screen;
        copy.reset(CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
        if (!copy) throw Error(texts::kOutOfMemory);
        MemoryDc from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
        SelectGuard keepFrom(from.get(), image), keepTo(to.get(), copy.get());
        BitBlt(to.get(), 0, 0, size.cx, size.cy, from.get(), 0, 0, SRCCOPY);
    }
    ClipboardSession clipboard(Application::Get().Handle());
    if (!clipboard.IsOpen()) throw Error(texts::kClipboardOpenFailed);
    // A clipboard that cannot be emptied or will not take the image fails the copy as one that
    // cannot be opened does.
    if (!EmptyClipboard()) throw Error(texts::kClipboardOpenFailed);
    // An empty image leaves the clipboard empty: there is nothing to hand over.
    if (!copy) return;
    if (!Platform().setClipboardData(CF_BITMAP, copy.get())) throw Error(texts::kClipboardOpenFailed);
    copy.release();
}

void TKelpix::StartCooldown() {
    Timer1.SetInterval(kCooldown);
    Timer1.SetEnabled(true);
}

void TKelpix::Timer1Timer() {
    Timer1.SetEnabled(false);
    CaptureBusy = false;
}

} // namespace kelpix
