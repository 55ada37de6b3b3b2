// The list of tasks: top-level windows a person would think of as running programs, in the
// order they were first seen, with their titles, icons and processes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ports/window_system.h"

namespace veilora {

struct TaskInfo {
    WindowId hWnd = 0;
    IconId hIcon = 0;    // as found; 0 when the window and its class have none
    IconId hIconSm = 0;  // likewise
    std::uint32_t processId = 0;
    int vdm = 0;  // set only when asked for (vdm, terminate)
    std::wstring caption;
};

// What runs in a task's process.
enum class VdmKind { Ordinary = 0, Wow16 = 1, Dos = 2 };

class TaskList {
public:
    // Window filters.
    static constexpr int kModeApplications = 0;  // unowned application windows (and those
                                                 // owned by a tool window)
    static constexpr int kModeAllUnowned = 1;    // every unowned visible window but the
                                                 // desktop's program manager
    static constexpr std::uint32_t kDefaultHungTimeout = 500;
    // A window claiming a longer title is read only this far.
    static constexpr std::size_t kMaxTitleLength = 4096;

    // `ender` is needed only by terminate().
    explicit TaskList(WindowSystem& system, ProgramEnder* ender = nullptr);

    std::uint32_t hungTimeout() const { return hungTimeout_; }
    void setHungTimeout(std::int64_t milliseconds);  // ignored unless greater than 0
    int mode() const { return mode_; }
    void setMode(std::int64_t mode);  // ignored unless 0 or 1

    // Indexes are 1-based; out of range gives 0, false or an empty string.
    int count() const { return static_cast<int>(tasks_.size()); }
    std::wstring caption(int index) const;
    WindowId hWnd(int index) const;
    // The task's icon, else the mode's default icon.
    IconId hIcon(int index) const;
    // The task's small icon, else whatever hIcon gives.
    IconId hIconSm(int index) const;
    std::uint32_t processId(int index) const;
    // 1 when the window does not answer within the hung time-out, else 0.
    int status(int index);

    // Where both are given, a non-zero window wins over the index.
    // Whether the task still passes the filter; one that does not is dropped from the list.
    bool valid(int index = 0, WindowId window = 0);
    VdmKind vdm(int index = 0, WindowId window = 0);
    // Restores a minimized window and brings it to the front; true when it is in front.
    bool activate(int index = 0, WindowId window = 0);
    // Ends the task's program through the ender; true when it is known to have ended.
    bool terminate(int index = 0, WindowId window = 0, std::uint32_t dialogDelayMs = 0);

    int getIndex(WindowId window) const;

    // Drops vanished windows, updates known tasks in place and appends new ones in z-order.
    void refresh();

private:
    struct RefreshPass;

    bool isTaskWindow(WindowId window);
    bool isToolWindow(WindowId window);
    void addTask(WindowId window, RefreshPass& pass);
    void compactTasks();
    int resolve(int index, WindowId window) const;
    const TaskInfo* at(int index) const;

    WindowSystem& system_;
    ProgramEnder* ender_;
    std::vector<TaskInfo> tasks_;
    int mode_ = kModeApplications;
    std::uint32_t hungTimeout_ = kDefaultHungTimeout;
    bool ntFamily_;
    std::uint32_t ownProcess_;
    IconId logoIcon_;
    IconId applicationIcon_;
};

}  // namespace veilora
