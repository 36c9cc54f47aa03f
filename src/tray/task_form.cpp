#include "tray/task_form.h"

#include "core/icons.h"
#include "main/kelpix_main.h"
#include "main/platform.h"
#include "main/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"

namespace kelpix {

TTaskForm* TaskForm = nullptr;

namespace {

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

TTaskForm::TTaskForm() {
    FormLayout layout{"TTaskForm", "TaskForm"};
    layout.left = 192;
    layout.top = 594;
    layout.clientWidth = 120;
    layout.clientHeight = 40;
    CreateForm(layout);

    HINSTANCE instance = Application::Get().Instance();
    Image1 = std::make_unique<ImageView>(*this, Handle(), Placement{0, 0, 33, 33});
    img_1 = std::make_unique<ImageView>(*this, Handle(), Placement{32, 0, 33, 33});
    // The icons are drawn for the size the notification area shows, never stretched by the shell.
    const int32_t size = core::TrayIconSize(GetSystemMetrics(SM_CXSMICON));
    defaultIcon_.reset(static_cast<HICON>(LoadImageA(instance, "MAINICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    if (!defaultIcon_) throw Error("LoadImage MAINICON failed");
    Image1->SetIcon(defaultIcon_.get());

    // The strip holds the 99 images side by side; they are opaque, so the list needs no mask. The
    // resource holds the 16-pixel ones; other sizes are drawn here from the same rules.
    Bitmap strip(size == core::kCountdownImageSize
                     ? static_cast<HBITMAP>(LoadImageA(instance, "COUNTDOWN", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))
                     : BitmapOf(core::CountdownStrip(size)).release());
    if (!strip) throw Error("LoadImage COUNTDOWN failed");
    ImageList1.reset(ImageList_Create(size, size, ILC_COLOR24, core::kCountdownImageCount, 4));
    if (!ImageList1 || ImageList_Add(ImageList1.get(), strip.get(), nullptr) < 0 ||
        ImageList_GetImageCount(ImageList1.get()) != core::kCountdownImageCount)
        throw Error("the countdown images cannot be loaded");

    DragTimer.SetOnTimer([this] { DragTimerTimer(); });
    PopupMenu1 = CreatePopupMenu();
    AppendMenuA(PopupMenu1, MF_STRING, ID_TRAY_N2, texts::kTrayMenuShow);
    AppendMenuA(PopupMenu1, MF_STRING, ID_TRAY_N1, texts::kMenuOptions);
    AppendMenuA(PopupMenu1, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(PopupMenu1, MF_STRING, ID_TRAY_N3, texts::kMenuExit);
}

TTaskForm::~TTaskForm() {
    // An icon left behind would stay in the notification area after the program has gone.
    UpdateTrayIcon(false, 0);
    if (PopupMenu1) DestroyMenu(PopupMenu1);
}

UINT TTaskForm::TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

LRESULT TTaskForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == TaskbarCreatedMessage() && msg != 0) {
        // The new notification area holds no icon of ours: add it again if it is to be shown.
        if (iconWanted_) {
            TrayIconData.hWnd = nullptr;
            UpdateTrayIcon(true, iconNumber_);
        }
        return 0;
    }
    switch (msg) {
    case WM_TRAYNOTIFY:
        HandleTrayNotify(wParam, lParam);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0) {
            switch (LOWORD(wParam)) {
            case ID_TRAY_N1:
                N1Click();
                return 0;
            case ID_TRAY_N2:
                N2Click();
                return 0;
            case ID_TRAY_N3:
                N3Click();
                return 0;
            default:
                break;
            }
        }
        break;
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

void TTaskForm::HandleTrayNotify(WPARAM, LPARAM lParam) {
    const core::TrayContext context{Kelpix->TrackState != -1, Kelpix->CaptureBusy,
                                    Kelpix->TrackState != -1 && Kelpix->DragFromTray};
    Perform(clickState_.OnNotify(static_cast<uint32_t>(lParam), context));
}

void TTaskForm::ResetClickState() {
    Perform(clickState_.Reset());
}

void TTaskForm::DragTimerTimer() {
    Perform(clickState_.OnDragTimer());
}

void TTaskForm::Perform(const core::TrayActions& actions) {
    for (core::TrayAction action : actions) {
        switch (action) {
        case core::TrayAction::StartDragTimer:
            DragTimer.SetEnabled(true);
            break;
        case core::TrayAction::StopDragTimer:
            DragTimer.SetEnabled(false);
            break;
        case core::TrayAction::BeginDrag:
            Kelpix->BeginTrayDrag();
            break;
        case core::TrayAction::CancelDrag:
            Kelpix->CancelTrayDrag();
            break;
        case core::TrayAction::RestoreWindow:
            N2Click();
            break;
        case core::TrayAction::ShowMenu:
            ShowTrayMenu();
            break;
        case core::TrayAction::CancelCountdown:
            Kelpix->CancelDelayedCapture();
            break;
        }
    }
}

void TTaskForm::ShowTrayMenu() {
    POINT at{};
    GetCursorPos(&at);
    // The menu closes on a click elsewhere only while the program is in the foreground.
    SetForegroundWindow(Application::Get().Handle());
    Application::Get().ProcessMessages();
    TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
    // Without a message after it, a notification-area menu does not close properly the next time.
    PostMessageA(Handle(), WM_NULL, 0, 0);
}

void TTaskForm::N1Click() {
    Kelpix->memuOptionClick();
}

void TTaskForm::N2Click() {
    // Behind a modal window the main window would take input the modal one is meant to hold back.
    if (Application::Get().BringModalToFront()) return;
    UpdateTrayIcon(false, 0);
    Kelpix->RestoreFromTray();
}

void TTaskForm::N3Click() {
    UpdateTrayIcon(false, 0);
    Kelpix->Exit1Click();
}

void TTaskForm::UpdateTrayIcon(bool show, int number) {
    iconWanted_ = show;
    iconNumber_ = number;
    if (show) {
        DWORD message = NIM_MODIFY;
        if (!TrayIconData.hWnd) {
            message = NIM_ADD;
            TrayIconData.cbSize = kTrayIconDataSize;
            TrayIconData.hWnd = Handle();
            TrayIconData.uID = kTrayIconId;
            TrayIconData.uCallbackMessage = WM_TRAYNOTIFY;
            TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
            lstrcpynA(TrayIconData.szTip, texts::kTrayTip, sizeof TrayIconData.szTip);
        }
        TrayIconData.hIcon = SelectTrayIcon(number);
        // A refused add (at logon, before the notification area exists) leaves the icon absent.
        // A refused change keeps it present: the icon is there with its old picture.
        if (!Platform().notifyIcon(message, &TrayIconData) && message == NIM_ADD) TrayIconData.hWnd = nullptr;
    } else if (TrayIconData.hWnd) {
        Platform().notifyIcon(NIM_DELETE, &TrayIconData);
        TrayIconData.hWnd = nullptr;
    }
}

HICON TTaskForm::SelectTrayIcon(int number) {
    if (number < core::kCountdownFirst || number > core::kCountdownLast) return defaultIcon_.get();
    // A fresh icon each time; the one shown before is released once img_1 holds the new one.
    Icon icon(ImageList_GetIcon(ImageList1.get(), number - core::kCountdownFirst, ILD_NORMAL));
    if (!icon) return defaultIcon_.get();
    img_1->SetIcon(icon.get());
    countdownIcon_ = std::move(icon);
    return countdownIcon_.get();
}

} // namespace kelpix
