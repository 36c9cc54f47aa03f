#include "main/menus.h"

#include "main/texts.h"

#include <string>
#include <vector>

namespace kelpix {

namespace {

using core::Command;

struct MenuItem {
    Command command;
    const char* caption; // null: a separator
    BYTE key = 0;        // shortcut, 0 for none
    bool control = false;
};

struct TopMenu {
    const char* caption;
    std::vector<MenuItem> items;
};

const MenuItem kSeparator{Command::Save, nullptr};

const std::vector<TopMenu>& MenuBar() {
    static const std::vector<TopMenu> menus = {
        {texts::kMenuFile,
         {{Command::Save, texts::kMenuSave, 'S', true}, kSeparator, {Command::Exit, texts::kMenuExit}}},
        {texts::kMenuView,
         {{Command::DefaultSize, texts::kMenuDefaultSize, 'D', true},
          {Command::FitToWindowBelow, texts::kMenuTakeSizeBelow, 'F', true},
          {Command::Translucent, texts::kMenuTranslucent, 'H', true}}},
        {texts::kMenuTool,
         {{Command::CaptureOwnArea, texts::kMenuCaptureOwnArea, VK_F5},
          {Command::Recopy, texts::kMenuRecopy, VK_F6},
          {Command::StoreInTray, texts::kMenuStoreInTray},
          kSeparator,
          {Command::Options, texts::kMenuOptions}}},
        {texts::kMenuHelp, {{Command::Help, texts::kMenuOpenHelp, VK_F1}}},
    };
    return menus;
}

const std::vector<MenuItem>& ContextMenu() {
    static const std::vector<MenuItem> items = {
        {Command::DefaultSize, texts::kMenuDefaultSize},
        {Command::FitToWindowBelow, texts::kMenuTakeSizeBelow},
        {Command::Translucent, texts::kMenuTranslucent},
        kSeparator,
        {Command::Recopy, texts::kMenuRecopy},
        {Command::StoreInTray, texts::kMenuStoreInTray},
        kSeparator,
        {Command::Options, texts::kMenuOptions},
    };
    return items;
}

std::string ShortcutText(const MenuItem& item) {
    if (!item.key) return {};
    if (item.key >= VK_F1 && item.key <= VK_F24) return "F" + std::to_string(item.key - VK_F1 + 1);
    return std::string(item.control ? "Ctrl+" : "") + static_cast<char>(item.key);
}

// shortcuts: where the items' shortcuts go; the context menu shows none.
void AppendItems(HMENU menu, const std::vector<MenuItem>& items, std::vector<ACCEL>* shortcuts) {
    for (const MenuItem& item : items) {
        if (!item.caption) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::string caption = item.caption;
        if (std::string keys = ShortcutText(item); shortcuts && !keys.empty()) {
            caption += '\t' + keys;
            shortcuts->push_back(
                {static_cast<BYTE>(FVIRTKEY | (item.control ? FCONTROL : 0)), item.key, MenuId(item.command)});
        }
        AppendMenuA(menu, MF_STRING, MenuId(item.command), caption.c_str());
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
        AppendMenuA(menus.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), top.caption);
    }
    menus.context = CreatePopupMenu();
    AppendItems(menus.context, ContextMenu(), nullptr);
    menus.shortcuts = CreateAcceleratorTableA(shortcuts.data(), static_cast<int>(shortcuts.size()));
    return menus;
}

} // namespace kelpix
