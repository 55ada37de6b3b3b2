// A window to own a tray icon, recording where the menu was asked for.
#pragma once

#include <windows.h>

#include <optional>

#include "app/tray_icon_win32.h"

namespace veilora::testing {

struct TrayOwner : TrayIconEvents {
    TrayOwner() {
        window = ::CreateWindowExW(0, L"STATIC", L"tray owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                   nullptr, nullptr, nullptr);
    }
    ~TrayOwner() override { ::DestroyWindow(window); }
    void onTrayMenuRequested(POINT at) override { requested = at; }
    HWND window;
    std::optional<POINT> requested;
};

}  // namespace veilora::testing
