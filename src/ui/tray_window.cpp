#include "ui/tray_window.h"

#include "core/icons.h"
#include "ui/menus.h"
#include "services/platform.h"
#include "services/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"
#include "toolkit/system_library.h"

namespace kelpix {

namespace {

constexpr UINT kTrayIconId = 1;

// A screen-compatible bitmap of a generated picture.
Bitmap BitmapOf(const core::RgbImage& image) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), image.width, -image.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return bitmap;
    const int32_t stride = (image.width * 3 + 3) & ~3;
    for (int32_t y = 0; y < image.height; ++y) {
        auto* row = static_cast<BYTE*>(bits) + y * stride;
        for (int32_t x = 0; x < image.width; ++x) {
            const core::Rgb& p = image.at(x, y);
            row[3 * x] = p.b, row[3 * x + 1] = p.g, row[3 * x + 2] = p.r;
        }
    }
    return bitmap;
}

} // namespace

TrayWindow::TrayWindow(SessionPort& session) : session_(session) {
    FormLayout layout{L"TTaskForm", L"TaskForm"};
    layout.left = 192;
    layout.top = 594;
    layout.clientWidth = 120;
    layout.clientHeight = 40;
    CreateForm(layout);

    HINSTANCE instance = Application::Get().Instance();
    // The icons are drawn for the size the notification area shows, never stretched by the shell.
    const int32_t size = core::TrayIconSize(GetSystemMetrics(SM_CXSMICON));
    defaultIcon_.reset(static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    if (!defaultIcon_) throw Error(L"LoadImage MAINICON failed");

    // An elevated Kelpix hears of a new notification area too.
    AllowMessageFromAnyProgram(Handle(), TaskbarCreatedMessage());
    ShowTexts();
}

void TrayWindow::ShowTexts() {
    if (menu_) DestroyMenu(menu_);
    menu_ = CreateTrayMenu();
    lstrcpynW(record_.szTip, Texts().trayTip, ARRAYSIZE(record_.szTip));
    if (record_.hWnd) Platform().notifyIcon(NIM_MODIFY, &record_);
}

TrayWindow::~TrayWindow() {
    // An icon left behind would stay in the notification area after the program has gone.
    ShowIcon(core::kTrayNone);
    if (menu_) DestroyMenu(menu_);
}

UINT TrayWindow::TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

LRESULT TrayWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == TaskbarCreatedMessage() && msg != 0) {
        // The new notification area holds no icon of ours: add it again if it is to be shown.
        if (iconWanted_ != core::kTrayNone) {
            record_.hWnd = nullptr;
            ShowIcon(iconWanted_);
        }
        return 0;
    }
    switch (msg) {
    case WM_TRAYNOTIFY: {
        session_.Send(
            core::TrayNotify{static_cast<uint32_t>(lParam), PrimaryButtonDown(), Application::Get().ModalUp()});
        return 0;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0) {
            const std::optional<uint32_t> number = recentMenu_.NumberOf(LOWORD(wParam));
            const auto command = number ? core::Command::RecentCapture : static_cast<core::Command>(LOWORD(wParam));
            session_.Send(core::CommandChosen{command, core::kNoWindow, Application::Get().ModalUp(), false,
                                              session_.ImageShown(), number.value_or(0)});
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        recentMenu_.Fill(reinterpret_cast<HMENU>(wParam), session_.RecentCaptures());
        break;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

void TrayWindow::ShowMenu() {
    POINT at{};
    GetCursorPos(&at);
    // The menu closes on a click elsewhere only while the program is in the foreground.
    SetForegroundWindow(Application::Get().Handle());
    Application::Get().ProcessMessages();
    TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
    // Without a message after it, a notification-area menu does not close properly the next time.
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

void TrayWindow::ShowIcon(int icon) {
    iconWanted_ = icon;
    if (icon == core::kTrayNone) {
        if (record_.hWnd) {
            Platform().notifyIcon(NIM_DELETE, &record_);
            record_.hWnd = nullptr;
        }
        return;
    }
    DWORD message = NIM_MODIFY;
    if (!record_.hWnd) {
        message = NIM_ADD;
        record_.cbSize = kTrayIconDataSize;
        record_.hWnd = Handle();
        record_.uID = kTrayIconId;
        record_.uCallbackMessage = WM_TRAYNOTIFY;
        record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    }
    record_.hIcon = IconFor(icon);
    if (Platform().notifyIcon(message, &record_) || message != NIM_ADD) return;
    // The add was refused. An icon of ours may be there already (a "TaskbarCreated" that no new
    // notification area sent, or sent twice): then it takes the change. Else there is no icon.
    if (!Platform().notifyIcon(NIM_MODIFY, &record_)) record_.hWnd = nullptr;
}

bool TrayWindow::LoadCountdownImages() {
    if (countdownImages_) return true;
    // The strip holds the 99 images side by side; they are opaque, so the list needs no mask. The
    // resource holds the 16-pixel ones; other sizes are drawn here from the same rules.
    const int32_t size = core::TrayIconSize(GetSystemMetrics(SM_CXSMICON));
    Bitmap strip(size == core::kCountdownImageSize
                     ? static_cast<HBITMAP>(LoadImageW(Application::Get().Instance(), L"COUNTDOWN", IMAGE_BITMAP, 0, 0,
                                                       LR_CREATEDIBSECTION))
                     : BitmapOf(core::CountdownStrip(size)).release());
    if (!strip) return false;
    ImageList images(ImageList_Create(size, size, ILC_COLOR24, core::kCountdownImageCount, 4));
    if (!images || ImageList_Add(images.get(), strip.get(), nullptr) < 0 ||
        ImageList_GetImageCount(images.get()) != core::kCountdownImageCount)
        return false;
    countdownImages_ = std::move(images);
    return true;
}

HICON TrayWindow::IconFor(int icon) {
    if (icon < core::kCountdownFirst || icon > core::kCountdownLast) return defaultIcon_.get();
    // Made at the first countdown; without them the countdown goes on under the program's icon.
    if (!LoadCountdownImages()) return defaultIcon_.get();
    // A fresh icon each time; the one shown before is released once the shell has the new one.
    Icon made(ImageList_GetIcon(countdownImages_.get(), icon - core::kCountdownFirst, ILD_NORMAL));
    if (!made) return defaultIcon_.get();
    countdownIcon_ = std::move(made);
    return countdownIcon_.get();
}

} // namespace kelpix
