#include "ui/menus.h"

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
};

struct TopMenu {
    const wchar_t* caption;
    std::vector<MenuItem> items;
};

const MenuItem kSeparator{Command::Save, nullptr};

// Built anew for each menu, in the language shown then.
std::vector<TopMenu> MenuBar() {
    const core::TextTable& t = Texts();
    return {
        {t.menuFile, {{Command::Save, t.menuSave, 'S', true}, kSeparator, {Command::Exit, t.menuExit}}},
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
            {Command::Options, t.menuOptions},
            kSeparator,
            {Command::Exit, t.menuExit}};
}

std::wstring ShortcutText(const MenuItem& item) {
    if (!item.key) return {};
    if (item.key >= VK_F1 && item.key <= VK_F24) return L"F" + std::to_wstring(item.key - VK_F1 + 1);
    return std::wstring(item.control ? L"Ctrl+" : L"") + static_cast<wchar_t>(item.key);
}

// shortcuts: where the items' shortcuts go; the context menu shows none.
void AppendItems(HMENU menu, const std::vector<MenuItem>& items, std::vector<ACCEL>* shortcuts) {
    for (const MenuItem& item : items) {
        if (!item.caption) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::wstring caption = item.caption;
        if (std::wstring keys = ShortcutText(item); shortcuts && !keys.empty()) {
            caption += L'\t' + keys;
            shortcuts->push_back(
                {static_cast<BYTE>(FVIRTKEY | (item.control ? FCONTROL : 0)), item.key, MenuId(item.command)});
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

} // namespace kelpix
