#include "win32/message_box.h"

#include "win32/strings.h"

namespace veilora::win32 {

UINT messageIconFlags(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return MB_ICONINFORMATION;
        case MessageIcon::Exclamation:
            return MB_ICONEXCLAMATION;
        case MessageIcon::Critical:
            return MB_ICONHAND;
        case MessageIcon::None:
            break;
    }
    return 0;
}

int showNotice(HWND owner, const Notice& notice, UINT buttons) {
    UINT flags = buttons | messageIconFlags(notice.icon);
    // A box over a hidden window would open behind whatever the person is looking at.
    if (!owner || !::IsWindowVisible(owner)) flags |= MB_TOPMOST | MB_SETFOREGROUND;
    return ::MessageBoxW(owner, widen(notice.text).c_str(), widen(notice.title).c_str(), flags);
}

}  // namespace veilora::win32
