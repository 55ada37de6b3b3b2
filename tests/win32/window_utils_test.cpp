// The process priority of a window's program.

#include <windows.h>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace veilora
