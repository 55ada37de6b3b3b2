// The two hot keys the person chooses in the Options dialog. Each is kept as the hot-key
// control's word: the virtual key in the low byte, the control's modifier flags in the high
// byte, stored as its decimal text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace veilora {

using HotKeyWord = std::uint16_t;

inline constexpr HotKeyWord kDefaultHideKey = 192;    // the key left of 1, no modifier
inline constexpr HotKeyWord kDefaultToggleKey = 581;  // Ctrl+E

// The control's modifier flags (high byte of the word).
inline constexpr unsigned kHotKeyShift = 0x01;
inline constexpr unsigned kHotKeyControl = 0x02;
inline constexpr unsigned kHotKeyAlt = 0x04;
inline constexpr unsigned kHotKeyExtended = 0x08;  // where the key sits, not a modifier

// What registering the key takes: the system's modifier flags are not the control's (Alt
// and Shift trade places).
struct HotKeyRegistration {
    unsigned modifiers = 0;  // 1 Alt, 2 Control, 4 Shift
    unsigned virtualKey = 0;
};

HotKeyRegistration registrationOf(HotKeyWord word);

// A stored text that is not a key the control could have produced (garbage, no key, a
// modifier alone, unknown flags) loads as `fallback`.
HotKeyWord parseHotKey(std::string_view stored, HotKeyWord fallback);

// Whether the word names a key that can be registered at all (an empty control cannot).
bool isUsableHotKey(HotKeyWord word);

// Both words press the same keys (the extended flag only tells where the key sits).
bool sameHotKey(HotKeyWord a, HotKeyWord b);

// The key as a person reads it, such as "Ctrl+Shift+F8" or "`".
std::string hotKeyName(HotKeyWord word);

}  // namespace veilora
