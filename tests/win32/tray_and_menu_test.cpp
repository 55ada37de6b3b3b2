// The tray icon against the real notification area of Wine's desktop, and popup menus.
#include <gtest/gtest.h>

#include <optional>

#include "app/popup_menu_win32.h"
#include "app/tray_icon_win32.h"
#include "ui_script.h"
#include "win32/window.h"

namespace veilora {
namespace {

struct Owner : TrayIconEvents {
    Owner() {
        window = ::CreateWindowExW(0, L"STATIC", L"tray owner", WS_POPUP, 0, 0, 10, 10, nullptr,
                                   nullptr, nullptr, nullptr);
    }
    ~Owner() override { ::DestroyWindow(window); }
    void onTrayMenuRequested(POINT at) override { requested = at; }
    // What the shell would see of our icon: a change of it succeeds only while it is there.
    bool shellHasIcon(TrayIcon& tray) {
        NOTIFYICONDATAW data = tray.record(TrayLook::Normal);
        return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    }
    HWND window;
    std::optional<POINT> requested;
};

// Pixels of `icon` drawn over white that are not white.
int paintedPixels(HICON icon, int size) {
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    int painted = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) painted += ::GetPixel(dc, x, y) != RGB(255, 255, 255);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return painted;
}

TEST(TrayIcon, RecordCarriesTheLookTipAndCallback) {
    Owner owner;
    TrayIcon tray(owner.window, owner);
    const NOTIFYICONDATAW normal = tray.record(TrayLook::Normal);
    EXPECT_EQ(normal.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_EQ(normal.hWnd, owner.window);
    EXPECT_EQ(normal.uCallbackMessage, static_cast<UINT>(win32::kMsgTrayNotify));
    EXPECT_EQ(normal.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    EXPECT_STREQ(normal.szTip, L"Veilora");
    const NOTIFYICONDATAW invisible = tray.record(TrayLook::Invisible);
    EXPECT_STREQ(invisible.szTip, L"");
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    EXPECT_GT(paintedPixels(normal.hIcon, size), size * size / 4);
    EXPECT_EQ(paintedPixels(invisible.hIcon, size), 0);
}

TEST(TrayIcon, AddedRemovedAndBackWhenTheTaskbarIsMadeAnew) {
    Owner owner;
    TrayIcon tray(owner.window, owner);
    tray.show(TrayLook::Invisible);
    ASSERT_TRUE(tray.present()) << "needs the desktop's notification area";
    tray.show(TrayLook::Normal);  // in place
    EXPECT_TRUE(owner.shellHasIcon(tray));

    NOTIFYICONDATAW gone = tray.record(TrayLook::Normal);
    ::Shell_NotifyIconW(NIM_DELETE, &gone);  // as a restarted shell would have it
    ASSERT_FALSE(owner.shellHasIcon(tray));
    EXPECT_TRUE(tray.handleMessage(::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0));
    EXPECT_TRUE(owner.shellHasIcon(tray));

    tray.remove();
    EXPECT_FALSE(owner.shellHasIcon(tray));
    EXPECT_TRUE(tray.handleMessage(::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0));
    EXPECT_FALSE(owner.shellHasIcon(tray)) << "a removed icon stays away";
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

const PopupMenuItem kItems[] = {
    {1, L"Enabled", true},
    {2, L"Disabled"},
    PopupMenuItem::line(),
    {3, L"Options", false, true},
    {4, L"&Help", false, false, false},
};

TEST(PopupMenu, BuiltWithChecksSeparatorsAndOneBoldDefault) {
    const win32::MenuHandle menu = buildPopupMenu(kItems);
    ASSERT_EQ(::GetMenuItemCount(menu.get()), 5);
    EXPECT_EQ(::GetMenuDefaultItem(menu.get(), FALSE, 0), 3u);
    EXPECT_EQ(::GetMenuState(menu.get(), 1, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(::GetMenuState(menu.get(), 2, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(::GetMenuState(menu.get(), 2, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
    EXPECT_EQ(::GetMenuState(menu.get(), 4, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    wchar_t text[16] = {};
    ::GetMenuStringW(menu.get(), 3, text, 16, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Options");
}

TEST(PopupMenu, AnswersTheChosenCommandOrNothing) {
    Owner owner;
    const POINT at{500, 400};
    {
        // The menu's own loop takes the keys: down to the first item, then Enter.
        test::UiScript script({[&] {
            for (UINT key : {VK_DOWN, VK_RETURN}) ::PostMessageW(owner.window, WM_KEYDOWN, key, 0);
            return true;
        }});
        EXPECT_EQ(trackPopupMenu(owner.window, at, kItems), 1u);
    }
    {
        test::UiScript script({[] {
            ::EndMenu();
            return true;
        }});
        EXPECT_EQ(trackPopupMenu(owner.window, at, kItems), 0u);
    }
}

}  // namespace
}  // namespace veilora
