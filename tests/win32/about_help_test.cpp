// The about box's links show the hand: a cursor the end-to-end tests cannot see.
#include <gtest/gtest.h>


#include "about/about_box_win32.h"
#include "res/resource.h"
#include "ui_script.h"

namespace veilora {
namespace {

TEST(AboutBox, LinksShowTheHandCursor) {
    test::UiScript script({[] {
        HWND box = test::findWindow(L"About...");
        if (!box) return false;
        ::SendMessageW(box, WM_SETCURSOR,
                       reinterpret_cast<WPARAM>(::GetDlgItem(box, IDC_ABOUT_MAIL)),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
        ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        return true;
    }});
    showAboutBox();
}

}  // namespace
}  // namespace veilora
