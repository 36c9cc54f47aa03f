// A global shortcut key as the standard hot-key control holds it: the virtual-key code in the low
// byte, the modifiers in the high byte. 0 is no key.
#pragma once

#include <cstdint>

namespace kelpix::core {

inline constexpr uint16_t kHotKeyShift = 0x100, kHotKeyControl = 0x200, kHotKeyAlt = 0x400;
inline constexpr uint16_t kHotKeyExtended = 0x800; // the key is one of the extended keyboard's
// Ctrl+Alt with a key is the range Windows leaves to the user's own shortcut keys (a shortcut's key
// is always one) and takes none of itself; few programs take these two, and on the common layouts
// AltGr (Ctrl+Alt) types nothing with them. K and J lie side by side on every Latin keyboard.
inline constexpr uint16_t kDefaultPointerWindowKey = kHotKeyControl | kHotKeyAlt | 'K'; // Ctrl+Alt+K
inline constexpr uint16_t kDefaultActiveWindowKey = kHotKeyControl | kHotKeyAlt | 'J';  // Ctrl+Alt+J

} // namespace kelpix::core
