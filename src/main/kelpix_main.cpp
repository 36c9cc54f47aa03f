#include "main/kelpix_main.h"

#include "kelpix_hook.h"
#include "main/platform.h"
#include "main/texts.h"
#include "toolkit/application.h"
#include "toolkit/error.h"

#include <commctrl.h>
#include <cstdio>
#include <vector>

namespace kelpix {

TKelpix* Kelpix = nullptr;

namespace {

constexpr int kDesignedClientWidth = 294;
constexpr int kDesignedClientHeight = 150;
constexpr int kClientHeight = 126;
constexpr int kSpacerWidth = 89; // the left column that holds the target and the toggles
constexpr int kTopLineHeight = 2;
constexpr int kTargetIconDesignedSize = 32;
constexpr BYTE kTranslucentAlpha = 178; // of 255, while the window is translucent
constexpr char kHelpWindowClass[] = "HH Parent";
constexpr char kHelpWindowTitle[] = "Kelpix"; // set by the help file's window definition
constexpr char kHelpFileName[] = "help.chm";

// help.chm in the executable's folder.
std::string HelpFilePath() {
    return Application::ExeFolder() + kHelpFileName;
}

struct MenuItem {
    WORD id; // 0: separator
    const char* caption;
    BYTE virtualKey; // shortcut, 0 for none
    bool control;
    bool checkItem;
};

struct Shortcut {
    WORD id;
    BYTE key;
    bool control;
};

// The main menu: each top-level entry with its items.
struct TopMenu {
    const char* caption;
    std::vector<MenuItem> items;
};

const std::vector<TopMenu>& MainMenuLayout() {
    static const std::vector<TopMenu> menus = {
        {texts::kMenuFile,
         {{ID_SAVE1, texts::kMenuSave, 'S', true, false},
          {0, nullptr, 0, false, false},
          {ID_EXIT1, texts::kMenuExit, 0, false, false}}},
        {texts::kMenuView,
         {{ID_MENUDEFAULT, texts::kMenuDefaultSize, 'D', true, false},
          {ID_MEMUTYOKKA, texts::kMenuTakeSizeBelow, 'F', true, false},
          {ID_N7, texts::kMenuTranslucent, 'H', true, true}}},
        {texts::kMenuTool,
         {{ID_N10, texts::kMenuCaptureOwnArea, VK_F5, false, false},
          {ID_N9, texts::kMenuRecopy, VK_F6, false, false},
          {ID_MEMUTASK, texts::kMenuStoreInTray, 0, false, false},
          {0, nullptr, 0, false, false},
          {ID_MEMUOPTION, texts::kMenuOptions, 0, false, false}}},
        {texts::kMenuHelp, {{ID_README1, texts::kMenuOpenHelp, VK_F1, false, false}}},
    };
    return menus;
}

const std::vector<MenuItem>& PopupMenuLayout() {
    static const std::vector<MenuItem> items = {
        {ID_POPDEFAULT, texts::kMenuDefaultSize, 0, false, false},
        {ID_POPTYOKKA, texts::kMenuTakeSizeBelow, 0, false, false},
        {ID_N8, texts::kMenuTranslucent, 0, false, true},
        {0, nullptr, 0, false, false},
        {ID_N2, texts::kMenuRecopy, 0, false, false},
        {ID_POPTASK, texts::kMenuStoreInTray, 0, false, false},
        {0, nullptr, 0, false, false},
        {ID_N5, texts::kMenuOptions, 0, false, false},
    };
    return items;
}

std::string ShortcutText(const MenuItem& item) {
    if (!item.virtualKey) return {};
    if (item.virtualKey >= VK_F1 && item.virtualKey <= VK_F24) return "F" + std::to_string(item.virtualKey - VK_F1 + 1);
    return std::string(item.control ? "Ctrl+" : "") + static_cast<char>(item.virtualKey);
}

void AppendItems(HMENU menu, const std::vector<MenuItem>& items, std::vector<ACCEL>& accelerators) {
    for (const MenuItem& item : items) {
        if (!item.id) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::string caption = item.caption;
        if (std::string keys = ShortcutText(item); !keys.empty()) {
            caption += '\t' + keys;
            accelerators.push_back(
                {static_cast<BYTE>(FVIRTKEY | (item.control ? FCONTROL : 0)), item.virtualKey, item.id});
        }
        AppendMenuA(menu, MF_STRING, item.id, caption.c_str());
    }
}

} // namespace

std::string TKelpix::GetVersionText(HMODULE module) {
    HRSRC info = FindResourceA(module, "#1", MAKEINTRESOURCEA(16));
    if (!info) return texts::kVersionUnknown;
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module, info);
    if (!data || size == 0) return texts::kVersionUnknown;
    // VerQueryValue may write into the block, so it works on a copy.
    std::vector<char> buffer(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(buffer.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        return texts::kVersionUnknown;
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u", static_cast<unsigned>(HIWORD(fixed->dwFileVersionMS)),
                  static_cast<unsigned>(LOWORD(fixed->dwFileVersionMS)));
    return text;
}

TKelpix::TKelpix(std::string iniPath) : IniPath(std::move(iniPath)) {

    std::vector<ACCEL> accelerators;
    MainMenu1 = CreateMenu();
    for (const TopMenu& top : MainMenuLayout()) {
        HMENU sub = CreatePopupMenu();
        AppendItems(sub, top.items, accelerators);
        AppendMenuA(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), top.caption);
    }
    PopupMenu1 = CreatePopupMenu();
    std::vector<ACCEL> none;
    AppendItems(PopupMenu1, PopupMenuLayout(), none);
    accelerators_ = CreateAcceleratorTableA(accelerators.data(), static_cast<int>(accelerators.size()));

    FormLayout layout{"TKelpix", "Kelpix"};
    layout.left = 248;
    layout.top = 127;
    layout.clientWidth = kDesignedClientWidth;
    layout.clientHeight = kDesignedClientHeight;
    layout.menu = MainMenu1;
    CreateForm(layout);
    CreateControls();

    Timer1.SetOnTimer([this] { Timer1Timer(); });
    TimeCaptureTimer.SetOnTimer([this] { TimeCaptureTimerTimer(); });
    DragWatchTimer.SetOnTimer([this] { DragWatchTimerTimer(); });

    SetClientHeight(Scale(kClientHeight));
    SIZE client = ClientSize();
    DefaultClientHeight = client.cy;
    DefaultClientWidth = client.cx;

    char caption[64];
    std::snprintf(caption, sizeof caption, texts::kCaptionFormat, GetVersionText().c_str());
    SetText(caption);

    SetOutOfMemoryMessage(texts::kOutOfMemory);

    ReadSettings();
    ApplySettingsToControls();
}

TKelpix::~TKelpix() {
    RemoveDragHook();
    if (Application::Get().Cursor(6) == targetIcon_.get()) Application::Get().Cursor(6) = nullptr;
    for (StripBitmap& strip : EdgeStrips)
        strip.Reset();
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    // The main menu belongs to the window and goes with it; the popup menu is ours.
    if (PopupMenu1) DestroyMenu(PopupMenu1);
}

void TKelpix::CreateControls() {
    // Creation order is the tab order: ScrollBox1, Panel1, UpDown1.
    ScrollBox1 = std::make_unique<ScrollBox>(*this, Handle(), Placement{kSpacerWidth, kTopLineHeight, 205, 148}, true);
    Image1 = std::make_unique<ImageView>(*this, ScrollBox1->Handle(), Placement{0, 0, 81, 49});
    Image3 = std::make_unique<ImageView>(*this, ScrollBox1->Handle(), Placement{112, 0, 32, 32}, false);

    Bevel1 = CreateChild(WC_STATICA, "", WS_VISIBLE | SS_ETCHEDHORZ, 0, 0, kDesignedClientWidth, kTopLineHeight);

    Panel1 = std::make_unique<Panel>(*this, Handle(), Placement{8, 11, 72, 38}, true);
    Image4 = std::make_unique<ImageView>(*this, Panel1->Handle(), Placement{20, 2, 32, 32});
    LoadTargetIcon();
    Panel1->OnMouse = [this](UINT msg, WPARAM keys, POINT pos) { TargetControlMouse(*Panel1, msg, keys, pos); };
    Image4->OnMouse = [this](UINT msg, WPARAM keys, POINT pos) { TargetControlMouse(*Image4, msg, keys, pos); };

    char delayCaption[32];
    std::snprintf(delayCaption, sizeof delayCaption, texts::kDelayButtonFormat, 1);
    SpeedButton1 = std::make_unique<SpeedButton>(*this, Handle(), Placement{0, 56, 65, 22}, delayCaption, 1, true);
    UpDown1 = CreateChild(UPDOWN_CLASSA, "", WS_VISIBLE | WS_TABSTOP, 65, 54, 17, 24);
    SendMessageA(UpDown1, UDM_SETRANGE32, 1, 99);
    SendMessageA(UpDown1, UDM_SETPOS32, 0, 1);
    SpeedButton2 =
        std::make_unique<SpeedButton>(*this, Handle(), Placement{0, 80, 81, 22}, texts::kCursorButton, 2, true);
    SpeedButton3 = std::make_unique<SpeedButton>(*this, Handle(), Placement{0, 104, 81, 22}, texts::kRecopyButton);
    SpeedButton1->OnClick = [this] { SpeedButton1Click(); };
    SpeedButton2->OnClick = [this] { SpeedButton1Click(); };
    SpeedButton3->OnClick = [this] { SpeedButton3Click(); };
    LayoutControls();
}

void TKelpix::LoadTargetIcon() {
    Application& app = Application::Get();
    // Drawn for the DPI in use (the resource holds 32, 48 and 64 pixels), not stretched.
    int size = Scale(kTargetIconDesignedSize);
    Icon icon(static_cast<HICON>(LoadImageA(app.Instance(), "TARGETICON", IMAGE_ICON, size, size, 0)));
    if (!icon) return;
    Image4->SetIcon(icon.get());
    // The target icon doubles as the drag cursor; an icon used as a cursor has its hot spot at its centre.
    app.Cursor(6) = icon.get();
    targetIcon_ = std::move(icon);
}

void TKelpix::DpiChanged() {
    LoadTargetIcon();
    // The last image keeps its own size in pixels.
    if (Image1->BitmapHandle()) Image1->SetSize(Image1->BitmapSize().cx, Image1->BitmapSize().cy);
    DefaultClientWidth = Scale(kDesignedClientWidth);
    DefaultClientHeight = Scale(kClientHeight);
    LayoutControls();
    ScrollBox1->UpdateScrollRange();
}

void TKelpix::LayoutControls() {
    if (!ScrollBox1) return;
    SIZE client = ClientSize();
    int left = Scale(kSpacerWidth), top = Scale(kTopLineHeight);
    MoveWindow(Bevel1, 0, 0, client.cx, top, TRUE);
    ScrollBox1->SetBounds(left, top, std::max<int>(0, client.cx - left), std::max<int>(0, client.cy - top));
}

void TKelpix::ShowMainWindow(bool visible) {
    SetVisible(visible);
    ShowWindow(Application::Get().Handle(), visible ? SW_RESTORE : SW_HIDE);
}

void TKelpix::Exit1Click() {
    Exiting = true;
    Close();
}

void TKelpix::menuDefaultClick() {
    SetClientHeight(DefaultClientHeight);
    SetClientSize(DefaultClientWidth, ClientSize().cy);
    // A menu bar that wrapped in a narrower window takes its lines back with the width: measure again.
    if (ClientSize().cy != DefaultClientHeight) SetClientHeight(DefaultClientHeight);
}

void TKelpix::memuTyokkaClick() {
    // Hidden first, so that the window below is the one found at the corner.
    ShowMainWindow(false);
    RECT own{};
    GetWindowRect(Handle(), &own);
    // Whatever lies there, a control inside another program's window included, as it comes.
    HWND below = WindowFromPoint(POINT{own.left, own.top});
    RECT r{};
    GetWindowRect(below, &r);
    MoveWindow(Handle(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ShowMainWindow(true);
}

bool TKelpix::Translucent() const {
    return (GetMenuState(MainMenu1, ID_N7, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void TKelpix::AlphaClick() {
    bool translucent = !Translucent();
    CheckMenuItem(MainMenu1, ID_N7, MF_BYCOMMAND | (translucent ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(PopupMenu1, ID_N8, MF_BYCOMMAND | (translucent ? MF_CHECKED : MF_UNCHECKED));
    LONG style = GetWindowLongA(Handle(), GWL_EXSTYLE);
    if (translucent) {
        SetWindowLongA(Handle(), GWL_EXSTYLE, style | WS_EX_LAYERED);
        SetLayeredWindowAttributes(Handle(), 0, kTranslucentAlpha, LWA_ALPHA);
    } else {
        SetWindowLongA(Handle(), GWL_EXSTYLE, style & ~WS_EX_LAYERED);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

void TKelpix::ReadMe1Click() {
    if (Application::Get().BringModalToFront()) return;
    // A viewer already showing the help (the help file names its window) is brought up.
    if (HWND viewer = FindWindowA(kHelpWindowClass, kHelpWindowTitle)) {
        BringWindowToTop(viewer);
        ShowWindow(viewer, SW_SHOWNORMAL);
        return;
    }
    Application& app = Application::Get();
    std::string path = HelpFilePath();
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        app.ShowMessage(texts::kHelpMissing, texts::kHelpMissingCaption, 0);
        return;
    }
    ShellExecuteA(app.Handle(), "open", path.c_str(), "", nullptr, SW_SHOW);
}

void TKelpix::InstallDragHook() {
    if (!hookBlockView_) {
        if (!hookBlock_)
            hookBlock_.reset(
                CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kHookBlockSize, kHookBlockName));
        if (hookBlock_) hookBlockView_.reset(MapViewOfFile(hookBlock_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    // Without the block the handle is not published; the library may still find a window of its own.
    if (hookBlockView_) *static_cast<volatile DWORD*>(hookBlockView_.get()) = HandleToBlockValue(Handle());
    auto install = Platform().installHook;
    if (install && install(0) != 0) return;
    // No report will come to end the drag: end it here, without a capture, before saying so.
    CancelTargetDrag();
    Application& app = Application::Get();
    app.ShowMessage(texts::kHookInstallFailed, app.Title().c_str(), MB_OK);
}

void TKelpix::RemoveDragHook() {
    if (auto uninstall = Platform().uninstallHook) uninstall();
}

bool TKelpix::PrimaryButtonDown() {
    // The key state is that of the physical buttons; with the buttons swapped the right one is primary.
    const int primary = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return Platform().getAsyncKeyState(primary) < 0;
}

void TKelpix::BeginTrayDrag() {
    // Released already (before the hook could see it): no release report would ever come.
    if (!PrimaryButtonDown()) return;
    BeginTargetDrag();
    InstallDragHook();
    if (TrackState == -1) return; // the install failed and ended the drag
    DragFromTray = true;
    buttonSeenUp_ = false;
    DragWatchTimer.SetEnabled(true);
}

void TKelpix::CancelTrayDrag() {
    if (TrackState == -1 || !DragFromTray) return;
    RemoveDragHook();
    CancelTargetDrag();
}

void TKelpix::DragWatchTimerTimer() {
    if (TrackState == -1 || !DragFromTray) {
        DragWatchTimer.SetEnabled(false);
        return;
    }
    if (PrimaryButtonDown()) {
        buttonSeenUp_ = false;
        return;
    }
    // The hook's report of the release may still be on its way: one more period for it. After that
    // it is not coming (a hook the system removed, swapped buttons) and the drag ends.
    if (!buttonSeenUp_) {
        buttonSeenUp_ = true;
        return;
    }
    CancelTrayDrag();
}

void TKelpix::HandleHookMouse(WPARAM wParam) {
    if (CaptureBusy) return;
    if (wParam == WM_MOUSEMOVE) {
        POINT at{};
        GetCursorPos(&at);
        TrackTarget(at.x, at.y);
    } else if (wParam == WM_LBUTTONUP) {
        RemoveDragHook();
        // A release with no drag in progress (a report still queued, or one that never had a hook
        // behind it) captures nothing: it would hide the window and empty the clipboard.
        if (TrackState != -1) EndTargetDrag();
    }
}

bool TKelpix::PreTranslateMessage(MSG& msg) {
    if (accelerators_ && TranslateAcceleratorA(Handle(), accelerators_, &msg)) return true;
    return Form::PreTranslateMessage(msg);
}

void TKelpix::ExecuteCommand(WORD id) {
    // While a target is being picked the frame is on the screen and the release will capture:
    // no command (a shortcut pressed meanwhile) may hide, move or capture anything until it ends.
    if (TrackState != -1) return;
    switch (id) {
    case ID_SAVE1:
        Save1Click();
        break;
    case ID_EXIT1:
        Exit1Click();
        break;
    case ID_N9:
    case ID_N2:
        N9Click(id);
        break;
    case ID_MENUDEFAULT:
    case ID_POPDEFAULT:
        menuDefaultClick();
        break;
    case ID_MEMUTYOKKA:
    case ID_POPTYOKKA:
        memuTyokkaClick();
        break;
    case ID_N7:
    case ID_N8:
        AlphaClick();
        break;
    case ID_README1:
        ReadMe1Click();
        break;
    case ID_N10:
        N10Click();
        break;
    case ID_MEMUTASK:
    case ID_POPTASK:
        memuTaskClick();
        break;
    case ID_MEMUOPTION:
    case ID_N5:
        memuOptionClick();
        break;
    default:
        break;
    }
}

LRESULT TKelpix::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) <= 1 && lParam == 0) {
            ExecuteCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_SIZE:
        LayoutControls();
        break;
    case WM_SHOWWINDOW:
        if (wParam) FormShow();
        break;
    case WM_AFTERSHOW:
        HandleAfterShow();
        return 0;
    case WM_HOOKMOUSE:
        HandleHookMouse(wParam);
        return 0;
    case WM_QUERYENDSESSION:
        // Logoff and shutdown are never refused. Until the session really ends (or the ending is
        // called off), a close must end the program instead of storing it in the notification area.
        SessionEnding = true;
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) {
            Exiting = true;
            Close();
        } else {
            SessionEnding = false;
        }
        return 0;
    case WM_VSCROLL:
        // UpDown1 reports every use of its arrows, also one that changed nothing.
        if (reinterpret_cast<HWND>(lParam) == UpDown1) {
            if (LOWORD(wParam) == SB_THUMBPOSITION) UpDown1Scrolled();
            return 0;
        }
        break;
    case WM_CONTEXTMENU: {
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (at.x == -1 && at.y == -1) {
            RECT r{};
            GetWindowRect(Handle(), &r);
            at = {r.left, r.top};
        }
        TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
        return 0;
    }
    }
    return Form::HandleMessage(msg, wParam, lParam);
}

} // namespace kelpix
