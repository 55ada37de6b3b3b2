// The window system of the task list, answered with the real API. Every message to another
// program's window goes with SendMessageTimeoutW and SMTO_ABORTIFHUNG, never plainly, so a
// hung program costs at most the time-out.
#pragma once

#include <windows.h>

#include "ports/window_system.h"
#include "windows/vdm_debug_win32.h"

namespace veilora {

inline HWND toHwnd(WindowId window) { return reinterpret_cast<HWND>(window); }
inline WindowId toWindowId(HWND window) { return reinterpret_cast<WindowId>(window); }
inline HICON toHicon(IconId icon) { return reinterpret_cast<HICON>(icon); }
inline IconId toIconId(HICON icon) { return reinterpret_cast<IconId>(icon); }

class WindowSystemWin32 final : public WindowSystem {
public:
    std::vector<WindowId> topLevelWindows() override;
    bool exists(WindowId window) override;
    bool isVisible(WindowId window) override;
    bool isCloaked(WindowId window) override;
    WindowId parent(WindowId window) override;
    WindowId owner(WindowId window) override;
    std::uint32_t extendedStyle(WindowId window) override;
    std::wstring className(WindowId window) override;
    WindowThread windowThread(WindowId window) override;
    std::uint32_t currentProcessId() override;

    std::optional<std::size_t> textLength(WindowId window, std::uint32_t timeoutMs) override;
    std::optional<std::wstring> text(WindowId window, std::size_t capacity,
                                     std::uint32_t timeoutMs) override;
    std::optional<IconId> icon(WindowId window, IconSize size, std::uint32_t timeoutMs) override;
    bool ping(WindowId window, std::uint32_t timeoutMs) override;
    IconId classIcon(WindowId window, IconSize size) override;
    IconId stockIcon(StockIcon which) override;

    bool isMinimized(WindowId window) override;
    void restore(WindowId window) override;
    bool setForeground(WindowId window) override;
    WindowId foreground() override;

    // This program runs only on the NT family.
    bool isNtFamily() override { return true; }
    bool hostsWowTasks(std::uint32_t processId) override;
    std::wstring firstModuleName(std::uint32_t processId) override;

private:
    const VdmDebug& vdm();

    std::optional<VdmDebug> vdm_;  // loaded on first use
};

}  // namespace veilora
