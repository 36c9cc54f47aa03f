#include "services/global_keys.h"

#include "core/shortcut_keys.h"
#include "services/texts.h"

namespace kelpix {

namespace {

constexpr UINT kNoRepeat = 0x4000; // MOD_NOREPEAT: holding the key down presses it once

UINT Modifiers(uint16_t hotKey) {
    UINT modifiers = 0;
    if (hotKey & core::kHotKeyShift) modifiers |= MOD_SHIFT;
    if (hotKey & core::kHotKeyControl) modifiers |= MOD_CONTROL;
    if (hotKey & core::kHotKeyAlt) modifiers |= MOD_ALT;
    return modifiers;
}

// Keys that the keyboard sends with the extended prefix, whose names differ from the number pad's.
bool IsExtendedKey(UINT key) {
    return (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE || key == VK_DIVIDE ||
           key == VK_NUMLOCK || key == VK_SNAPSHOT || (key >= VK_LWIN && key <= VK_APPS);
}

std::wstring KeyName(UINT key, bool extended) {
    const LONG scanCode = static_cast<LONG>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    wchar_t name[64] = {};
    if (scanCode != 0 && GetKeyNameTextW((scanCode << 16) | (extended ? 1L << 24 : 0), name, 64) > 0) return name;
    // A key the keyboard has no name for: its virtual-key code.
    wchar_t code[8] = {};
    wsprintfW(code, L"0x%02X", key);
    return code;
}

} // namespace

std::vector<uint16_t> GlobalKeys::Hold(uint16_t pointerWindowKey, uint16_t activeWindowKey) {
    // All go first, so that the two keys may change places.
    Release();
    std::vector<uint16_t> refused;
    const uint16_t keys[2] = {pointerWindowKey, activeWindowKey};
    for (int i = 0; i < 2; ++i) {
        const uint16_t key = keys[i];
        if (LOBYTE(key) == 0) continue;
        const int id = i == 0 ? kPointerWindowKeyId : kActiveWindowKeyId;
        held_[i] = RegisterHotKey(window_, id, Modifiers(key) | kNoRepeat, LOBYTE(key)) != FALSE;
        // Windows before 7 knows no MOD_NOREPEAT and refuses it as an unknown flag.
        if (!held_[i] && GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED)
            held_[i] = RegisterHotKey(window_, id, Modifiers(key), LOBYTE(key)) != FALSE;
        if (!held_[i]) refused.push_back(key);
    }
    return refused;
}

void GlobalKeys::Release() {
    if (held_[0]) UnregisterHotKey(window_, kPointerWindowKeyId);
    if (held_[1]) UnregisterHotKey(window_, kActiveWindowKeyId);
    held_[0] = held_[1] = false;
}

std::wstring HotKeyName(uint16_t hotKey) {
    // In the order the hot-key control shows them.
    std::wstring name;
    const std::pair<uint16_t, UINT> modifiers[] = {
        {core::kHotKeyControl, VK_CONTROL}, {core::kHotKeyShift, VK_SHIFT}, {core::kHotKeyAlt, VK_MENU}};
    for (const auto& [flag, key] : modifiers)
        if (hotKey & flag) name += KeyName(key, false) + L" + ";
    const UINT key = LOBYTE(hotKey);
    return name + KeyName(key, (hotKey & core::kHotKeyExtended) || IsExtendedKey(key));
}

std::wstring KeysHeldMessage(const std::vector<uint16_t>& held) {
    std::wstring names;
    for (uint16_t key : held)
        names += (names.empty() ? L"" : Texts().keyNameSeparator) + HotKeyName(key);
    return core::FillIn(Texts().keyHeldFormat, {names});
}

} // namespace kelpix
