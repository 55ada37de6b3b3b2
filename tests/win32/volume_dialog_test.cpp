// The Volume Control dialog: what it shows and when it reports a chosen level.

#include "sound/volume_dialog_win32.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "res/resource.h"
#include "win32/handles.h"

namespace veilora {
namespace {

std::wstring textOf(HWND window) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(window, buffer, 256);
    return buffer;
}

void press(HWND control, UINT key) {
    ::SendMessageW(control, WM_KEYDOWN, key, 0);
    ::SendMessageW(control, WM_KEYUP, key, 0xC0000001);
}

TEST(VolumeDialogWin32, ShowsTheSavedLevelAndReportsEachCompletedChange) {
    win32::WindowHandle owner(::CreateWindowExW(0, L"STATIC", L"Stand-in Cover",
                                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                                nullptr, nullptr, nullptr, nullptr));
    std::vector<std::uint32_t> chosen;
    VolumeDialog dialog;
    ASSERT_TRUE(dialog.show(owner.get(), 19660, [&](std::uint32_t level) {
        chosen.push_back(level);
    }));
    HWND box = dialog.hwnd();
    HWND slider = ::GetDlgItem(box, IDC_VOLUME_SLIDER);
    HWND number = ::GetDlgItem(box, IDC_VOLUME_VALUE);
    EXPECT_EQ(textOf(box), L"Volume Control");
    EXPECT_EQ(textOf(::GetDlgItem(box, IDC_VOLUME_LABEL)), L"Level:");
    EXPECT_EQ(textOf(::GetDlgItem(box, IDOK)), L"OK");
    EXPECT_EQ(::GetWindow(box, GW_OWNER), owner.get());
    EXPECT_EQ(::SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), 10);
    EXPECT_EQ(::SendMessageW(slider, TBM_GETPOS, 0, 0), 3);
    EXPECT_EQ(textOf(number), L"3");

    press(slider, VK_RIGHT);
    EXPECT_EQ(textOf(number), L"4");
    press(slider, VK_END);
    EXPECT_EQ(chosen, (std::vector<std::uint32_t>{26214, 65535}));

    // While the thumb is dragged only the number follows.
    ::SendMessageW(slider, TBM_SETPOS, TRUE, 5);
    ::SendMessageW(box, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 5),
                   reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(textOf(number), L"5");
    EXPECT_EQ(chosen.size(), 2u);
    ::SendMessageW(box, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(chosen.back(), 32768u);

    ::SendMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(dialog.isOpen());

    // Opening and closing without a change leaves the saved level as it was, unrounded.
    chosen.clear();
    ASSERT_TRUE(dialog.show(owner.get(), 12345, [&](std::uint32_t level) {
        chosen.push_back(level);
    }));
    ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(chosen.empty());
}

}  // namespace
}  // namespace veilora
