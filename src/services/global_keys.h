// The two global shortcut keys, held for a window with RegisterHotKey: pressed anywhere, they send
// that window WM_HOTKEY with the key's id.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kelpix {

// The ids WM_HOTKEY carries in wParam.
enum GlobalKeyId : int {
    kPointerWindowKeyId = 1, // captures the window under the pointer
    kActiveWindowKeyId = 2,  // captures the foreground window
};

class GlobalKeys {
public:
    explicit GlobalKeys(HWND window) : window_(window) {}
    ~GlobalKeys() { Release(); }
    GlobalKeys(const GlobalKeys&) = delete;
    GlobalKeys& operator=(const GlobalKeys&) = delete;

    // Holds these keys (in the hot-key control's form; 0: none) in place of those held before, and
    // returns the ones that could not be held: another program holds them.
    std::vector<uint16_t> Hold(uint16_t pointerWindowKey, uint16_t activeWindowKey);
    // Lets go of every key.
    void Release();

private:
    HWND window_;
    bool held_[2] = {false, false};
};

// The key's name as the user's keyboard names it, the modifiers first: "Ctrl + Alt + F10".
std::wstring HotKeyName(uint16_t hotKey);

// The message naming the keys another program holds.
std::wstring KeysHeldMessage(const std::vector<uint16_t>& held);

} // namespace kelpix
