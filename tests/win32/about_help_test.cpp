// The about box's texts, links and keys; the help call's trace.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "about/about_box_win32.h"
#include "about/help_win32.h"
#include "res/resource.h"
#include "ui_script.h"
#include "version.h"
#include "win32/strings.h"
#include "win32/system.h"

namespace veilora {
namespace {

// Runs the about box; `inside` looks at it, then `key` is pressed on the focused control.
void aboutBox(const std::function<void(HWND)>& inside, WPARAM key) {
    test::UiScript script({[&] {
        HWND box = test::findWindow(L"About...");
        if (!box) return false;
        inside(box);
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 0);
        return true;
    }});
    showAboutBox();
    EXPECT_TRUE(script.finished()) << "the key closed the box";
    EXPECT_FALSE(script.timedOut());
}

TEST(AboutBox, ShowsVersionAndLinksAndClosesOnEnterAndEsc) {
    aboutBox(
        [](HWND box) {
            EXPECT_EQ(test::windowText(::GetDlgItem(box, IDC_ABOUT_VERSION)),
                      L"Version " VEILORA_VERSION_TEXT);
            EXPECT_EQ(test::windowText(::GetDlgItem(box, IDC_ABOUT_WEB)), L"www.fernwick.example");
            EXPECT_EQ(test::windowText(::GetDlgItem(box, IDC_ABOUT_MAIL)),
                      L"support@fernwick.example");
            EXPECT_EQ(::GetFocus(), ::GetDlgItem(box, IDOK));
            // Both links are reached with Tab.
            EXPECT_EQ(::GetNextDlgTabItem(box, ::GetDlgItem(box, IDOK), FALSE),
                      ::GetDlgItem(box, IDC_ABOUT_WEB));
            EXPECT_EQ(::GetNextDlgTabItem(box, ::GetDlgItem(box, IDC_ABOUT_WEB), FALSE),
                      ::GetDlgItem(box, IDC_ABOUT_MAIL));
        },
        VK_RETURN);
    aboutBox([](HWND) {}, VK_ESCAPE);
}

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

TEST(HelpViewer, TracesTheHelpFileItOpens) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring tracePath = std::wstring(temp) + L"veilora-help-test.trace";
    ::DeleteFileW(tracePath.c_str());
    ::SetEnvironmentVariableW(L"VEILORA_TRACE", tracePath.c_str());
    {
        auto trace = win32::FileTrace::fromEnvironment();
        ASSERT_TRUE(trace);
        HelpViewer help(trace.get());
        help.showOptionsTopic(nullptr);
        help.showContents(nullptr);
    }
    ::SetEnvironmentVariableW(L"VEILORA_TRACE", nullptr);
    std::ifstream file(win32::narrow(tracePath), std::ios::binary);
    std::stringstream lines;
    lines << file.rdbuf();
    std::string folder = win32::narrow(win32::programFolder());
    if (folder.back() != '\\') folder += '\\';
    EXPECT_NE(lines.str().find(" help-open " + folder + "veilora.chm::/Topic26.htm\n"),
              std::string::npos)
        << lines.str();
    EXPECT_NE(lines.str().find(" help-open " + folder + "veilora.chm\n"), std::string::npos);
    ::DeleteFileW(tracePath.c_str());
}

}  // namespace
}  // namespace veilora
