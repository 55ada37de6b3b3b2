// The "Window Management" dialog: the open application windows with their small icons,
// refreshed every second, and buttons to close or minimize the selected one.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "win32/handles.h"
#include "win32/modeless_dialog.h"
#include "windows/task_rows.h"

namespace veilora {

class TaskListRefresher;

class WindowManagementDialog final : private win32::ModelessDialog {
public:
    static constexpr std::uint32_t kHungTimeoutMs = 250;
    static constexpr UINT kRefreshIntervalMs = 1000;

    // The time-out is for the tests; callers keep the default.
    explicit WindowManagementDialog(std::uint32_t hungTimeoutMs = kHungTimeoutMs);
    ~WindowManagementDialog() override;

    // Opens the dialog modeless, owned by `owner` (the cover, so that it stays above it), or
    // brings it to the front when it is open already. Raises this program's priority class
    // to high for the rest of the run.
    bool show(HWND owner);

    using ModelessDialog::close;
    using ModelessDialog::hwnd;
    using ModelessDialog::isOpen;

private:
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void onInit();
    void onRowsReady();
    void applyRows(const std::vector<TaskRow>& rows);
    int imageFor(const TaskRow& row);
    int findItem(WindowId window) const;
    void fitColumn();
    void enableButtons(bool enable);
    void updateButtons();
    WindowId selectedWindow() const;
    void sortOnce();
    void onNotify(const NMHDR& header);
    HWND list() const;

    static int CALLBACK compareItems(LPARAM first, LPARAM second, LPARAM self);

    win32::ImageListHandle images_;
    std::map<std::wstring, int> imageByKey_;
    std::unique_ptr<TaskListRefresher> refresher_;
    std::uint32_t hungTimeoutMs_;
    bool ascending_ = false;  // the first header click sorts ascending
};

}  // namespace veilora
