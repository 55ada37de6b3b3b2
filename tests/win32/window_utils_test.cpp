// Bringing a window to the front, and the process priority of a window's program.

#include <windows.h>

#include <gtest/gtest.h>

#include "win32/foreground.h"
#include "win32/handles.h"
#include "windows/window_utils_win32.h"

namespace veilora {
namespace {

TEST(WindowUtilitiesWin32, ProcessPriorityFollowsTheWindowsProcess) {
    // A window of this process, as the cover is one of the program.
    win32::WindowHandle own(::CreateWindowExW(0, L"STATIC", L"Priority Window", WS_POPUP, 0, 0,
                                              10, 10, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(setProcessPriority(0, own.get(), HIGH_PRIORITY_CLASS),
              static_cast<DWORD>(HIGH_PRIORITY_CLASS));
    EXPECT_EQ(setProcessPriority(::GetCurrentProcessId(), nullptr, NORMAL_PRIORITY_CLASS),
              static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(setProcessPriority(0, nullptr, HIGH_PRIORITY_CLASS), 0u);
}

win32::WindowHandle makeWindow(DWORD style, HWND parent, const wchar_t* title = L"") {
    return win32::WindowHandle(::CreateWindowExW(0, L"STATIC", title, style, 20, 20, 200, 100,
                                                 parent, nullptr, nullptr, nullptr));
}

TEST(ForceForeground, ShowsAndRestoresTheTopVisibleAncestor) {
    win32::WindowHandle frame = makeWindow(WS_OVERLAPPEDWINDOW, nullptr, L"Frame");
    win32::WindowHandle panel = makeWindow(WS_CHILD | WS_VISIBLE, frame.get());
    win32::WindowHandle field = makeWindow(WS_CHILD | WS_VISIBLE, panel.get());
    EXPECT_EQ(topVisibleAncestor(field.get()), field.get()) << "its parents are hidden";

    ::ShowWindow(frame.get(), SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(frame.get()));
    EXPECT_EQ(topVisibleAncestor(field.get()), frame.get());
    forceForeground(field.get());
    EXPECT_FALSE(::IsIconic(frame.get())) << "the minimized frame is restored";

    // A window it owns is a window of its own; a hidden one is shown.
    win32::WindowHandle owned = makeWindow(WS_POPUP, frame.get(), L"Owned");
    EXPECT_EQ(topVisibleAncestor(owned.get()), owned.get());
    forceForeground(owned.get());
    EXPECT_TRUE(::IsWindowVisible(owned.get()));
    EXPECT_TRUE(::IsWindowVisible(frame.get()));
}

}  // namespace
}  // namespace veilora
