// The task list over the in-memory window system, and one-line readings of what it lists.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "windows/fake_window_system.h"
#include "windows/task_list.h"
#include "windows/task_rows.h"

namespace veilora::testing {

struct TaskListTest : ::testing::Test {
    FakeWindowSystem system;
    TaskList tasks{system, &system};  // the fake ends the programs too
};

// Each task as "window caption process;", in the list's order.
inline std::wstring listed(const TaskList& tasks) {
    std::wstring out;
    for (int i = 1; i <= tasks.count(); ++i) {
        out += std::to_wstring(tasks.hWnd(i)) + L" " + tasks.caption(i) + L" " +
               std::to_wstring(tasks.processId(i)) + L";";
    }
    return out;
}

// Each row as "window caption icon;".
inline std::wstring listed(const std::vector<TaskRow>& rows) {
    std::wstring out;
    for (const TaskRow& r : rows) {
        out += std::to_wstring(r.window) + L" " + r.caption + L" " + std::to_wstring(r.smallIcon) +
               L";";
    }
    return out;
}

}  // namespace veilora::testing
