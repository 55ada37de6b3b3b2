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
    UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON;
    flags |= ::GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    const UINT command =
        static_cast<UINT>(::TrackPopupMenuEx(menu.get(), flags, at.x, at.y, owner, nullptr));
    // Lets the menu's window finish closing before the next click on the icon.
    ::PostMessageW(owner, WM_NULL, 0, 0);
    return command;
}

void OpenMenuTrace::onEnterIdle(WPARAM kind, LPARAM menuWindow) {
    if (!trace_ || traced_ || kind != MSGF_MENU) return;
    HMENU menu = nullptr;
    if (::IsWindow(reinterpret_cast<HWND>(menuWindow))) {
        menu = reinterpret_cast<HMENU>(
            ::SendMessageW(reinterpret_cast<HWND>(menuWindow), MN_GETHMENU, 0, 0));
    } else if (::IsMenu(reinterpret_cast<HMENU>(menuWindow))) {
        menu = reinterpret_cast<HMENU>(menuWindow);  // some systems pass the menu itself
    }
    if (!menu) return;
    traced_ = true;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
        info.dwTypeData = text;
        info.cch = 127;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        RECT r{};
        ::GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r);
        wchar_t line[256];
        ::swprintf(line, 256, L"%d %ld %ld %ld %ld %d %d %ls", i, r.left, r.top, r.right, r.bottom,
                   (info.fState & MFS_CHECKED) ? 1 : 0, (info.fState & MFS_DEFAULT) ? 1 : 0,
                   (info.fType & MFT_SEPARATOR) ? L"-" : text);
        trace_->eventText("menu-item", line);
    }
    trace_->event("menu-shown", count);
}

}  // namespace veilora
