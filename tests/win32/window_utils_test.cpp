// The task list against a real program that stops answering, and the process priority.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "support/task_helper.h"
#include "win32/handles.h"
#include "windows/task_list.h"
#include "windows/window_system_win32.h"
#include "windows/window_utils_win32.h"

namespace veilora {
namespace {

using testing::kHelperHang;
using testing::pumpFor;
using testing::pumpUntil;
using testing::TaskHelper;

// A visible top-level window of this process, as the cover is one of the program.
win32::WindowHandle ownWindow(const wchar_t* title) {
    return win32::WindowHandle(::CreateWindowExW(0, L"STATIC", title,
                                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                                                 100, nullptr, nullptr, nullptr, nullptr));
}

TEST(TaskListWin32, AHungProgramCostsOneTimeOutPerRefreshAndKeepsItsTitles) {
    TaskHelper helper(L"closes", L"Hanging Helper", 3);
    WindowSystemWin32 system;
    TaskList tasks(system);
    tasks.setMode(TaskList::kModeAllUnowned);
    tasks.setHungTimeout(10000);
    tasks.refresh();
    const int before = tasks.count();
    int helpersListed = 0;
    for (int i = 1; i <= tasks.count(); ++i) helpersListed += tasks.processId(i) == helper.id();
    ASSERT_EQ(helpersListed, 3);

    ::PostMessageW(helper.window(), kHelperHang, 8000, 0);
    ASSERT_TRUE(pumpUntil([&] { return !system.ping(toWindowId(helper.window()), 50); }, 5000));
    constexpr DWORD kTimeout = 1000;
    tasks.setHungTimeout(kTimeout);
    const ULONGLONG start = ::GetTickCount64();
    tasks.refresh();
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    // Three windows on the sleeping thread would cost three time-outs, one each.
    EXPECT_LT(elapsed, 2 * kTimeout);
    EXPECT_EQ(tasks.count(), before);
    EXPECT_EQ(tasks.caption(tasks.getIndex(toWindowId(helper.window()))), L"Hanging Helper");
    EXPECT_EQ(tasks.status(tasks.getIndex(toWindowId(helper.window()))), 1);
}

TEST(WindowUtilitiesWin32, ProcessPriorityFollowsTheWindowsProcess) {
    auto own = ownWindow(L"Priority Window");
    EXPECT_EQ(setProcessPriority(0, own.get(), HIGH_PRIORITY_CLASS),
              static_cast<DWORD>(HIGH_PRIORITY_CLASS));
    EXPECT_EQ(setProcessPriority(::GetCurrentProcessId(), nullptr, NORMAL_PRIORITY_CLASS),
              static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(setProcessPriority(0, nullptr, HIGH_PRIORITY_CLASS), 0u);
}

}  // namespace
}  // namespace veilora
