// What hiding does to the desktop, with the real API.
#pragma once

#include <windows.h>

#include <functional>

#include "ports/ports.h"
#include "cover/cover_window_win32.h"
#include "monitor/input_hooks_win32.h"

namespace veilora {

class DesktopWin32 final : public Desktop {
public:
    DesktopWin32(InputHooks& hooks, CoverWindow& cover);

    ScreenSize primaryScreenSize() override;
    void minimizeAllWindows() override;
    bool blockTaskSwitching() override;
    void unblockTaskSwitching() override;
    bool showCover() override;
    void hideCover() override;
    void setCoverTopmost(bool topmost) override;
    // Told each time the cover is taken away, and each time it came up.
    void onCoverHidden(std::function<void()> callback) { coverHidden_ = std::move(callback); }
    void onCoverShown(std::function<void()> callback) { coverShown_ = std::move(callback); }

private:
    std::function<void()> coverHidden_;
    std::function<void()> coverShown_;
    InputHooks& hooks_;
    CoverWindow& cover_;
};

// Minimizes the visible application windows of other programs one by one: used where no
// shell acts on Windows+M.
void minimizeApplicationWindows();

}  // namespace veilora
