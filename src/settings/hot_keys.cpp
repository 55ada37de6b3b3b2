#include "settings/hot_keys.h"

#include <charconv>
#include <cstdio>

namespace veilora {

namespace {

unsigned keyOf(HotKeyWord word) {
    return word & 0xFFu;
}
unsigned flagsOf(HotKeyWord word) {
    return word >> 8;
}

// No key, the mouse buttons and the modifier keys on their own cannot be a hot key.
bool canBeHotKey(unsigned vk) {
    constexpr unsigned kNotKeys[] = {0x00, 0x01, 0x02, 0x04, 0x05, 0x06,   // none, buttons
                                     0x10, 0x11, 0x12, 0x5B, 0x5C,         // Shift, Ctrl, Alt, Win
                                     0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};  // left and right ones
    for (unsigned notKey : kNotKeys) {
        if (vk == notKey) return false;
    }
    return true;
}

std::string keyName(unsigned vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, char(vk));
    // Built in place: prefixing a temporary trips a false overlap warning in some compilers.
    char text[16];
    if (vk >= 0x70 && vk <= 0x87) {
        std::snprintf(text, sizeof text, "F%u", vk - 0x70 + 1);
        return text;
    }
    if (vk >= 0x60 && vk <= 0x69) {
        std::snprintf(text, sizeof text, "Num %u", vk - 0x60);
        return text;
    }
    switch (vk) {
        case 0x03:
            return "Break";
        case 0x08:
            return "Backspace";
        case 0x09:
            return "Tab";
        case 0x0C:
            return "Clear";
        case 0x0D:
            return "Enter";
        case 0x13:
            return "Pause";
        case 0x14:
            return "Caps Lock";
        case 0x1B:
            return "Esc";
        case 0x20:
            return "Space";
        case 0x21:
            return "Page Up";
        case 0x22:
            return "Page Down";
        case 0x23:
            return "End";
        case 0x24:
            return "Home";
        case 0x25:
            return "Left";
        case 0x26:
            return "Up";
        case 0x27:
            return "Right";
        case 0x28:
            return "Down";
        case 0x2C:
            return "Print Screen";
        case 0x2D:
            return "Insert";
        case 0x2E:
            return "Delete";
        case 0x5D:
            return "Application";
        case 0x6A:
            return "Num *";
        case 0x6B:
            return "Num +";
        case 0x6D:
            return "Num -";
        case 0x6E:
            return "Num .";
        case 0x6F:
            return "Num /";
        case 0x90:
            return "Num Lock";
        case 0x91:
            return "Scroll Lock";
        case 0xBA:
            return ";";
        case 0xBB:
            return "=";
        case 0xBC:
            return ",";
        case 0xBD:
            return "-";
        case 0xBE:
            return ".";
        case 0xBF:
            return "/";
        case 0xC0:
            return "`";
        case 0xDB:
            return "[";
        case 0xDC:
            return "\\";
        case 0xDD:
            return "]";
        case 0xDE:
            return "'";
        default:
            break;
    }
    std::snprintf(text, sizeof text, "Key %02X", vk);
    return text;
}

}  // namespace

HotKeyRegistration registrationOf(HotKeyWord word) {
    const unsigned flags = flagsOf(word);
    unsigned modifiers = 0;
    if (flags & kHotKeyAlt) modifiers |= 0x0001;      // MOD_ALT
    if (flags & kHotKeyControl) modifiers |= 0x0002;  // MOD_CONTROL
    if (flags & kHotKeyShift) modifiers |= 0x0004;    // MOD_SHIFT
    return {modifiers, keyOf(word)};
}

bool isUsableHotKey(HotKeyWord word) {
    return canBeHotKey(keyOf(word)) &&
           (flagsOf(word) & ~(kHotKeyShift | kHotKeyControl | kHotKeyAlt | kHotKeyExtended)) == 0;
}

HotKeyWord parseHotKey(std::string_view stored, HotKeyWord fallback) {
    unsigned value = 0;
    const char* end = stored.data() + stored.size();
    const auto [at, error] = std::from_chars(stored.data(), end, value);
    if (stored.empty() || error != std::errc() || at != end || value > 0xFFFF) return fallback;
    const auto word = static_cast<HotKeyWord>(value);
    return isUsableHotKey(word) ? word : fallback;
}

bool sameHotKey(HotKeyWord a, HotKeyWord b) {
    const HotKeyRegistration x = registrationOf(a);
    const HotKeyRegistration y = registrationOf(b);
    return x.modifiers == y.modifiers && x.virtualKey == y.virtualKey;
}

std::string hotKeyName(HotKeyWord word) {
    const unsigned flags = flagsOf(word);
    std::string name;
    if (flags & kHotKeyControl) name += "Ctrl+";
    if (flags & kHotKeyShift) name += "Shift+";
    if (flags & kHotKeyAlt) name += "Alt+";
    name += keyName(keyOf(word));
    return name;
}

}  // namespace veilora
