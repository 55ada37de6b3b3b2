// The task list and the Window Management dialog against real windows of another program.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "res/resource.h"
#include "support/task_helper.h"
#include "win32/handles.h"
#include "windows/task_list.h"
#include "windows/window_management_win32.h"
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

TEST(TaskListWin32, ListsAnotherProgramFollowsItsTitleAndDropsItWhenClosed) {
    auto own = ownWindow(L"Window Of The Test Itself");
    TaskHelper helper(L"closes", L"Listed Helper");
    WindowSystemWin32 system;
    TaskList tasks(system);
    tasks.setMode(TaskList::kModeAllUnowned);
    tasks.refresh();

    const int index = tasks.getIndex(toWindowId(helper.window()));
    ASSERT_GT(index, 0);
    EXPECT_EQ(tasks.caption(index), L"Listed Helper");
    EXPECT_EQ(tasks.processId(index), helper.id());
    EXPECT_NE(tasks.hIconSm(index), 0u);
    EXPECT_EQ(tasks.status(index), 0);
    EXPECT_EQ(tasks.vdm(index), VdmKind::Ordinary);
    for (int i = 1; i <= tasks.count(); ++i) {
        EXPECT_NE(tasks.processId(i), ::GetCurrentProcessId()) << "listed: " << i;
    }

    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(helper.window(), WM_SETTEXT, 0,
                          reinterpret_cast<LPARAM>(L"Renamed Helper"), SMTO_ABORTIFHUNG, 5000,
                          &result);
    tasks.refresh();
    EXPECT_EQ(tasks.getIndex(toWindowId(helper.window())), index);
    EXPECT_EQ(tasks.caption(index), L"Renamed Helper");

    const WindowId closed = toWindowId(helper.window());
    ::PostMessageW(helper.window(), WM_CLOSE, 0, 0);
    ASSERT_EQ(helper.exitCode(), 3);
    tasks.refresh();
    EXPECT_EQ(tasks.getIndex(closed), 0);
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

// ---------------------------------------------------------------------------------------------

struct Item {
    std::wstring text;
    bool selected;
};

std::vector<Item> items(HWND list) {
    std::vector<Item> out;
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        ListView_GetItemText(list, i, 0, text, 512);
        out.push_back({text, ListView_GetItemState(list, i, LVIS_SELECTED) != 0});
    }
    return out;
}

int indexOf(HWND list, const std::wstring& text) {
    const auto all = items(list);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].text == text) return static_cast<int>(i);
    }
    return -1;
}

std::wstring text(HWND window) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(window, buffer, 256);
    return buffer;
}

void click(HWND dialog, int id) {
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void clickHeader(HWND dialog) {
    NMLISTVIEW notice{};
    notice.hdr.hwndFrom = ::GetDlgItem(dialog, IDC_WM_LIST);
    notice.hdr.idFrom = IDC_WM_LIST;
    notice.hdr.code = LVN_COLUMNCLICK;
    notice.iSubItem = 0;
    ::SendMessageW(dialog, WM_NOTIFY, IDC_WM_LIST, reinterpret_cast<LPARAM>(&notice));
}

bool sorted(HWND list, bool ascending) {
    const auto all = items(list);
    for (std::size_t i = 1; i < all.size(); ++i) {
        const int order = ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                                           all[i - 1].text.c_str(), -1, all[i].text.c_str(), -1);
        if (ascending ? order == CSTR_GREATER_THAN : order == CSTR_LESS_THAN) return false;
    }
    return true;
}

TEST(WindowManagementDialogWin32, FollowsTheTasksAndActsOnTheSelectedOne) {
    auto owner = ownWindow(L"Stand-in Cover");
    TaskHelper zulu(L"closes", L"Zulu Helper");
    WindowManagementDialog dialog;
    ASSERT_TRUE(dialog.show(owner.get()));
    HWND box = dialog.hwnd();
    HWND list = ::GetDlgItem(box, IDC_WM_LIST);
    HWND closeButton = ::GetDlgItem(box, IDC_WM_CLOSE_SELECTED);
    HWND minimizeButton = ::GetDlgItem(box, IDC_WM_MINIMIZE_SELECTED);
    EXPECT_EQ(text(box), L"Window Management");
    EXPECT_EQ(::GetWindow(box, GW_OWNER), owner.get());
    EXPECT_EQ(text(::GetDlgItem(box, IDC_WM_FRAME)), L"Open Windows");
    EXPECT_EQ(text(closeButton), L"Close Selected");
    EXPECT_EQ(text(minimizeButton), L"Minimize Selected");
    EXPECT_EQ(text(::GetDlgItem(box, IDCANCEL)), L"Done");
    wchar_t heading[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = heading;
    column.cchTextMax = 64;
    ListView_GetColumn(list, 0, &column);
    EXPECT_EQ(std::wstring(heading), L"Window Title");

    ASSERT_TRUE(pumpUntil([&] { return indexOf(list, L"Zulu Helper") >= 0; }, 10000));
    TaskHelper alpha(L"closes", L"Alpha Helper");
    ASSERT_TRUE(pumpUntil([&] { return indexOf(list, L"Alpha Helper") >= 0; }, 10000));
    EXPECT_EQ(indexOf(list, L"Alpha Helper"), indexOf(list, L"Zulu Helper") + 1)
        << "new tasks at the end, not sorted in";
    EXPECT_EQ(indexOf(list, L"Stand-in Cover"), -1);
    EXPECT_EQ(indexOf(list, L"Window Management"), -1);
    EXPECT_FALSE(::IsWindowEnabled(closeButton));
    EXPECT_FALSE(::IsWindowEnabled(minimizeButton));

    // As the arrow keys select: the buttons follow.
    const int zuluIndex = indexOf(list, L"Zulu Helper");
    ListView_SetItemState(list, zuluIndex, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(::IsWindowEnabled(closeButton));
    EXPECT_TRUE(::IsWindowEnabled(minimizeButton));

    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(zulu.window(), WM_SETTEXT, 0,
                          reinterpret_cast<LPARAM>(L"Zulu Helper - renamed"), SMTO_ABORTIFHUNG,
                          5000, &result);
    ASSERT_TRUE(pumpUntil([&] { return indexOf(list, L"Zulu Helper - renamed") >= 0; }, 10000));
    EXPECT_EQ(indexOf(list, L"Zulu Helper - renamed"), zuluIndex);
    EXPECT_TRUE(items(list)[static_cast<std::size_t>(zuluIndex)].selected);

    click(box, IDC_WM_MINIMIZE_SELECTED);
    EXPECT_TRUE(pumpUntil([&] { return ::IsIconic(zulu.window()) != FALSE; }, 10000));

    clickHeader(box);
    EXPECT_TRUE(sorted(list, true));
    clickHeader(box);
    EXPECT_TRUE(sorted(list, false));

    const int alphaIndex = indexOf(list, L"Alpha Helper");
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, alphaIndex, LVIS_SELECTED, LVIS_SELECTED);
    click(box, IDC_WM_CLOSE_SELECTED);
    EXPECT_EQ(alpha.exitCode(), 3);
    ASSERT_TRUE(pumpUntil([&] { return indexOf(list, L"Alpha Helper") < 0; }, 10000));
    EXPECT_FALSE(::IsWindowEnabled(closeButton)) << "the selection went with the item";
    EXPECT_GE(indexOf(list, L"Zulu Helper - renamed"), 0);

    // Esc, through the dialog manager as the program's message loop hands it over.
    ::PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_TRUE(pumpUntil([&] { return !dialog.isOpen(); }, 5000));
}

TEST(WindowManagementDialogWin32, AHungProgramNeverHoldsUpTheInterface) {
    auto owner = ownWindow(L"Stand-in Cover");
    TaskHelper helper(L"closes", L"Sleepy Helper", 3);
    // A long time-out makes any wait on the interface thread unmistakable.
    constexpr DWORD kTimeout = 2000;
    WindowManagementDialog dialog(kTimeout);
    ASSERT_TRUE(dialog.show(owner.get()));
    HWND list = ::GetDlgItem(dialog.hwnd(), IDC_WM_LIST);
    ASSERT_TRUE(pumpUntil([&] { return indexOf(list, L"Sleepy Helper 3") >= 0; }, 10000));

    ::PostMessageW(helper.window(), kHelperHang, 5000, 0);
    // The interface thread's loop keeps turning through several refreshes.
    ULONGLONG last = ::GetTickCount64();
    ULONGLONG longestGap = 0;
    pumpUntil(
        [&] {
            const ULONGLONG now = ::GetTickCount64();
            longestGap = std::max(longestGap, now - last);
            last = now;
            return false;
        },
        4000);
    EXPECT_LT(longestGap, kTimeout / 2);
    EXPECT_GE(indexOf(list, L"Sleepy Helper"), 0) << "a hung program stays listed";
}

}  // namespace
}  // namespace veilora
