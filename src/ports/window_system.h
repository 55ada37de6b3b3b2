// The window system as the task list sees it: top-level windows, their facts, messages to
// other programs' windows with a time-out, and the virtual DOS machine services. Nothing here
// depends on any other part of the program; the Win32 shell answers with the real API, unit
// tests with a fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veilora {

// Window and icon handles as numbers; 0 is "none".
using WindowId = std::uintptr_t;
using IconId = std::uintptr_t;

enum class IconSize { Big, Small };
enum class StockIcon { WindowsLogo, Application };

struct WindowThread {
    std::uint32_t threadId = 0;
    std::uint32_t processId = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Every top-level window, top of the z-order first, as one snapshot.
    virtual std::vector<WindowId> topLevelWindows() = 0;
    virtual bool exists(WindowId window) = 0;
    virtual bool isVisible(WindowId window) = 0;
    // Kept out of sight by the desktop window manager although visible (a suspended store
    // app, a window on another virtual desktop). False where the system cannot say.
    virtual bool isCloaked(WindowId window) = 0;
    // The parent of a child window, the owner of an owned pop-up, else 0.
    virtual WindowId parent(WindowId window) = 0;
    virtual WindowId owner(WindowId window) = 0;
    virtual std::uint32_t extendedStyle(WindowId window) = 0;
    virtual std::wstring className(WindowId window) = 0;
    virtual WindowThread windowThread(WindowId window) = 0;
    virtual std::uint32_t currentProcessId() = 0;

    // Messages to the window, each abandoned after `timeoutMs` or at once when the system
    // already considers the window's thread hung; nullopt (or false) then.
    virtual std::optional<std::size_t> textLength(WindowId window, std::uint32_t timeoutMs) = 0;
    // Reads at most `capacity` - 1 characters, as a window answers WM_GETTEXT.
    virtual std::optional<std::wstring> text(WindowId window, std::size_t capacity,
                                             std::uint32_t timeoutMs) = 0;
    virtual std::optional<IconId> icon(WindowId window, IconSize size,
                                       std::uint32_t timeoutMs) = 0;
    virtual bool ping(WindowId window, std::uint32_t timeoutMs) = 0;

    virtual IconId classIcon(WindowId window, IconSize size) = 0;
    virtual IconId stockIcon(StockIcon which) = 0;

    virtual bool isMinimized(WindowId window) = 0;
    virtual void restore(WindowId window) = 0;
    virtual bool setForeground(WindowId window) = 0;
    virtual WindowId foreground() = 0;

    // 16-bit Windows programs and DOS boxes exist only on the NT family with its virtual DOS
    // machine; without its debugging services no process hosts 16-bit tasks.
    virtual bool isNtFamily() = 0;
    virtual bool hostsWowTasks(std::uint32_t processId) = 0;
    // Base name of the process's first module ("NTVDM.EXE"), empty when it cannot be read.
    virtual std::wstring firstModuleName(std::uint32_t processId) = 0;
};

// Ends the program behind a task, asking the user when it does not close by itself.
class ProgramEnder {
public:
    virtual ~ProgramEnder() = default;
    // An ordinary program; true when it has ended.
    virtual bool endProgram(std::uint32_t processId, std::uint32_t dialogDelayMs,
                            std::wstring_view title, IconId icon) = 0;
    // A 16-bit Windows program, identified by its window; true when it was ended.
    virtual bool endWowTask(WindowId window, std::uint32_t dialogDelayMs,
                            std::wstring_view title, IconId icon) = 0;
    // A DOS box is only asked to close; true when the request went out.
    virtual bool endDosProgram(std::uint32_t processId) = 0;
};

}  // namespace veilora
