// The tray icon's record and its notifications: the tip and the keyboard's request, which the
// end-to-end tests cannot reach.
#include <gtest/gtest.h>

#include "app/tray_icon_win32.h"
#include "support/tray_owner.h"
#include "win32/window.h"

namespace veilora {
namespace {

using Owner = testing::TrayOwner;

TEST(TrayIcon, TheTipNamesTheProgramUnlessTheIconIsInvisible) {
    Owner owner;
    TrayIcon tray(owner.window, owner);
    EXPECT_STREQ(tray.record(TrayLook::Normal).szTip, L"Veilora");
    EXPECT_STREQ(tray.record(TrayLook::Invisible).szTip, L"");
}

TEST(TrayIcon, OnlyTheContextMenuRequestOpensTheMenu) {
    Owner owner;
    TrayIcon tray(owner.window, owner);
    tray.show(TrayLook::Normal);
    ASSERT_TRUE(tray.present());
    const WPARAM anchor = MAKEWPARAM(1013, 758);
    for (UINT event : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                       WM_RBUTTONUP, NIN_SELECT, NIN_KEYSELECT}) {
        EXPECT_TRUE(tray.handleMessage(win32::kMsgTrayNotify, anchor, MAKELPARAM(event, 1)));
        EXPECT_FALSE(owner.requested) << std::hex << event;
    }
    tray.handleMessage(win32::kMsgTrayNotify, anchor, MAKELPARAM(WM_CONTEXTMENU, 1));
    ASSERT_TRUE(owner.requested);
    EXPECT_EQ(owner.requested->x, 1013);
    EXPECT_EQ(owner.requested->y, 758);
}

}  // namespace
}  // namespace veilora
