// What the Window Management list shows of the task list, and how the shown list follows it
// without being rebuilt (no flicker, the selection and the scroll position stay).
#pragma once

#include <string>
#include <vector>

#include "ports/window_system.h"

namespace veilora {

class TaskList;

struct TaskRow {
    WindowId window = 0;
    std::wstring caption;
    IconId smallIcon = 0;
};

// Drops the tasks that no longer pass the filter, refreshes, and lists what is left in the
// task list's order.
std::vector<TaskRow> collectTaskRows(TaskList& tasks);

// "h" and the window handle in upper-case hexadecimal: the key of a row and of its image.
std::wstring taskKey(WindowId window);

struct ShownItem {
    WindowId window = 0;
    std::wstring text;
};

struct ListUpdate {
    std::vector<WindowId> remove;  // items whose task has gone
    std::vector<TaskRow> append;   // new tasks, to add at the end in this order
    std::vector<TaskRow> retitle;  // items whose text changes in place
};

// The edits that bring the shown items in line with the rows; items are never reordered.
ListUpdate planListUpdate(const std::vector<ShownItem>& shown, const std::vector<TaskRow>& rows);

}  // namespace veilora
