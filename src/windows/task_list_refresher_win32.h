// Refreshes a task list on a thread of its own. Asking other programs' windows for their
// titles and icons can wait up to the hung time-out for each program that does not answer;
// done here, that wait never holds up the interface thread (the cover's double-click, the
// dialogs). The rows are handed over with a message to the window that asked.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "windows/task_rows.h"

namespace veilora {

class TaskListRefresher {
public:
    // Throws std::system_error when no thread can be started.
    TaskListRefresher(HWND notify, UINT message, int mode, std::uint32_t hungTimeoutMs);
    TaskListRefresher(const TaskListRefresher&) = delete;
    TaskListRefresher& operator=(const TaskListRefresher&) = delete;
    // Never waits: a refresh still waiting on a hung program finishes on its own and its
    // rows are dropped.
    ~TaskListRefresher();

    // Starts a refresh; while one is running, one more follows it.
    void requestRefresh();
    // The rows of the last finished refresh, once.
    std::optional<std::vector<TaskRow>> takeRows();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

}  // namespace veilora
