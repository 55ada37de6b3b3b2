#include "windows/task_rows.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "windows/task_list.h"

namespace veilora {

std::vector<TaskRow> collectTaskRows(TaskList& tasks) {
    // Backwards, since a task that fails is removed from under the index.
    for (int i = tasks.count(); i >= 1; --i) tasks.valid(i);
    tasks.refresh();
    std::vector<TaskRow> rows;
    rows.reserve(static_cast<std::size_t>(tasks.count()));
    for (int i = 1; i <= tasks.count(); ++i) {
        rows.push_back({tasks.hWnd(i), tasks.caption(i), tasks.hIconSm(i)});
    }
    return rows;
}

std::wstring taskKey(WindowId window) {
    std::wstring digits;
    do {
        digits.push_back(L"0123456789ABCDEF"[window % 16]);
        window /= 16;
    } while (window);
    std::reverse(digits.begin(), digits.end());
    return L"h" + digits;
}

ListUpdate planListUpdate(const std::vector<ShownItem>& shown, const std::vector<TaskRow>& rows) {
    ListUpdate update;
    std::unordered_set<WindowId> current;
    for (const TaskRow& row : rows) current.insert(row.window);
    std::unordered_map<WindowId, const std::wstring*> kept;
    for (const ShownItem& item : shown) {
        if (current.count(item.window)) {
            kept.emplace(item.window, &item.text);
        } else {
            update.remove.push_back(item.window);
        }
    }
    for (const TaskRow& row : rows) {
        const auto found = kept.find(row.window);
        if (found == kept.end()) {
            update.append.push_back(row);
            kept.emplace(row.window, &row.caption);  // a row listed twice is added once
        } else if (*found->second != row.caption) {
            update.retitle.push_back(row);
        }
    }
    return update;
}

}  // namespace veilora
