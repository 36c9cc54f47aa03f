#include "ui/menus.h"

#include "core/recent_captures.h"
#include "services/texts.h"

#include <string>
#include <vector>

namespace kelpix {

namespace {

using core::Command;

struct MenuItem {
    Command command;
    const wchar_t* caption; // null: a separator
    BYTE key = 0;           // shortcut, 0 for none
    bool control = false;
    bool shift = false;
    bool recentCaptures = false; // the recent captures' submenu, filled as it opens
};

struct TopMenu {
    const wchar_t* caption;
    std::vector<MenuItem> items;
};

const MenuItem kSeparator{Command::Save, nullptr};

// Marks the recent captures' submenus among the menus a window opens.
constexpr ULONG_PTR kRecentCapturesMenu = 0x4B52435A;

// The File menu's and the tray menu's items on the last image.
MenuItem CopyAsFileItem(const core::TextTable& t) {
    return {Command::CopyAsFile, t.menuCopyAsFile, 'C', true, true};
}
MenuItem RecentCapturesItem(const core::TextTable& t) {
    return {.command = Command::RecentCapture, .caption = t.menuRecentCaptures, .recentCaptures = true};
}

// Built anew for each menu, in the language shown then.
std::vector<TopMenu> MenuBar() {
    const core::TextTable& t = Texts();
    return {
        {t.menuFile,
         {{Command::Save, t.menuSave, 'S', true},
          CopyAsFileItem(t),
          RecentCapturesItem(t),
          kSeparator,
          {Command::Exit, t.menuExit}}},
        {t.menuView,
         {{Command::DefaultSize, t.menuDefaultSize, 'D', true},
          {Command::FitToWindowBelow, t.menuTakeSizeBelow, 'F', true},
          {Command::Translucent, t.menuTranslucent, 'H', true}}},
        {t.menuTool,
         {{Command::CaptureOwnArea, t.menuCaptureOwnArea, VK_F5},
          {Command::Recopy, t.menuRecopy, VK_F6},
          {Command::StoreInTray, t.menuStoreInTray},
          {Command::EditImage, t.menuEditImage, 'E', true},
          kSeparator,
          {Command::Options, t.menuOptions}}},
        {t.menuHelp, {{Command::Help, t.menuOpenHelp, VK_F1}}},
    };
}

std::vector<MenuItem> ContextMenu() {
    const core::TextTable& t = Texts();
    return {
        {Command::DefaultSize, t.menuDefaultSize}, {Command::FitToWindowBelow, t.menuTakeSizeBelow},
        {Command::Translucent, t.menuTranslucent}, kSeparator,
        {Command::Recopy, t.menuRecopy},           {Command::EditImage, t.menuEditImage},
        {Command::StoreInTray, t.menuStoreInTray}, kSeparator,
        {Command::Options, t.menuOptions},
    };
}

std::vector<MenuItem> TrayMenu() {
    const core::TextTable& t = Texts();
    return {{Command::ShowFromTray, t.trayMenuShow},
            kSeparator,
            CopyAsFileItem(t),
            RecentCapturesItem(t),
            kSeparator,
            {Command::Options, t.menuOptions},
            kSeparator,
            {Command::Exit, t.menuExit}};
}

std::wstring ShortcutText(const MenuItem& item) {
    if (!item.key) return {};
    if (item.key >= VK_F1 && item.key <= VK_F24) return L"F" + std::to_wstring(item.key - VK_F1 + 1);
    return std::wstring(item.control ? L"Ctrl+" : L"") + (item.shift ? L"Shift+" : L"") +
           static_cast<wchar_t>(item.key);
}

HMENU CreateRecentCapturesMenu() {
    HMENU menu = CreatePopupMenu();
    MENUINFO info{sizeof info, MIM_MENUDATA, 0, 0, nullptr, 0, kRecentCapturesMenu};
    SetMenuInfo(menu, &info);
    return menu;
}

// shortcuts: where the items' shortcuts go; the context menu shows none.
void AppendItems(HMENU menu, const std::vector<MenuItem>& items, std::vector<ACCEL>* shortcuts) {
    for (const MenuItem& item : items) {
        if (!item.caption) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        if (item.recentCaptures) {
            AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(CreateRecentCapturesMenu()), item.caption);
            continue;
        }
        std::wstring caption = item.caption;
        if (std::wstring keys = ShortcutText(item); shortcuts && !keys.empty()) {
            caption += L'\t' + keys;
            const BYTE modifiers = (item.control ? FCONTROL : 0) | (item.shift ? FSHIFT : 0);
            shortcuts->push_back({static_cast<BYTE>(FVIRTKEY | modifiers), item.key, MenuId(item.command)});
        }
        AppendMenuW(menu, MF_STRING, MenuId(item.command), caption.c_str());
    }
}

} // namespace

MainMenus CreateMainMenus() {
    MainMenus menus;
    std::vector<ACCEL> shortcuts;
    menus.bar = CreateMenu();
    for (const TopMenu& top : MenuBar()) {
        HMENU sub = CreatePopupMenu();
        AppendItems(sub, top.items, &shortcuts);
        AppendMenuW(menus.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), top.caption);
    }
    menus.context = CreatePopupMenu();
    AppendItems(menus.context, ContextMenu(), nullptr);
    menus.shortcuts = CreateAcceleratorTableW(shortcuts.data(), static_cast<int>(shortcuts.size()));
    return menus;
}

HMENU CreateTrayMenu() {
    HMENU menu = CreatePopupMenu();
    AppendItems(menu, TrayMenu(), nullptr);
    return menu;
}

bool RecentCapturesMenu::Fill(HMENU popup, const std::vector<core::CaptureFacts>& captures) {
    MENUINFO info{sizeof info, MIM_MENUDATA, 0, 0, nullptr, 0, 0};
    if (!GetMenuInfo(popup, &info) || info.dwMenuData != kRecentCapturesMenu) return false;
    while (GetMenuItemCount(popup) > 0)
        DeleteMenu(popup, 0, MF_BYPOSITION);
    numbers_.clear();
    const WORD first = MenuId(Command::RecentCapture);
    for (size_t i = 0; i < captures.size() && i < core::kRecentCaptureCount; ++i) {
        AppendMenuW(popup, MF_STRING, first + i, core::RecentCaptureMenuText(captures[i], i).c_str());
        numbers_.push_back(captures[i].number);
    }
    if (captures.empty()) AppendMenuW(popup, MF_STRING | MF_GRAYED, first, Texts().recentCapturesNone);
    return true;
}

std::optional<uint32_t> RecentCapturesMenu::NumberOf(WORD id) const {
    const WORD first = MenuId(Command::RecentCapture);
    if (id < first || id - first >= static_cast<int>(numbers_.size())) return std::nullopt;
    return numbers_[id - first];
}

} // namespace kelpix
