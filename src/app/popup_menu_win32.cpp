#include "app/popup_menu_win32.h"

namespace veilora {

win32::MenuHandle buildPopupMenu(std::span<const PopupMenuItem> items) {
    win32::MenuHandle menu(::CreatePopupMenu());
    if (!menu) return menu;
    UINT position = 0;
    for (const PopupMenuItem& item : items) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        if (item.separator) {
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_SEPARATOR;
        } else {
            info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
            info.wID = item.command;
            info.dwTypeData = const_cast<wchar_t*>(item.text.c_str());
            info.fState = (item.checked ? MFS_CHECKED : MFS_UNCHECKED) |
                          (item.isDefault ? MFS_DEFAULT : 0) |
                          (item.enabled ? MFS_ENABLED : MFS_DISABLED);
        }
        ::InsertMenuItemW(menu.get(), position++, TRUE, &info);
    }
    return menu;
}

UINT trackPopupMenu(HWND owner, POINT at, std::span<const PopupMenuItem> items) {
    const win32::MenuHandle menu = buildPopupMenu(items);
    if (!menu) return 0;
    // Without the foreground the menu would not close on a click elsewhere, nor take keys.
    ::SetForegroundWindow(owner);
    UINT flags = TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON;
    flags |= ::GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    const UINT command =
        static_cast<UINT>(::TrackPopupMenuEx(menu.get(), flags, at.x, at.y, owner, nullptr));
    // Lets the menu's window finish closing before the next click on the icon.
    ::PostMessageW(owner, WM_NULL, 0, 0);
    return command;
}

}  // namespace veilora
