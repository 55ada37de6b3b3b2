// A popup menu at a point, for the tray menu and the cover menu: built from a list, shown
// with the steps that let it close when the person clicks elsewhere, answering the command.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "win32/handles.h"

namespace veilora {

struct PopupMenuItem {
    UINT command = 0;   // reported when chosen; not 0
    std::wstring text;  // "&" marks the mnemonic
    bool checked = false;
    bool isDefault = false;  // bold; at most one
    bool enabled = true;
    bool separator = false;

    static PopupMenuItem line() { return {0, {}, false, false, true, true}; }
};

win32::MenuHandle buildPopupMenu(std::span<const PopupMenuItem> items);

// Shows the menu at `at` (screen pixels) for `owner`, a top-level window of ours, and waits
// for the choice. The chosen command, 0 when the menu was dismissed.
UINT trackPopupMenu(HWND owner, POINT at, std::span<const PopupMenuItem> items);

}  // namespace veilora
