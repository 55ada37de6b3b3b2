// The Options dialog driven through its controls, with a host that records what it is asked.
#include "settings/options_dialog_win32.h"

#include <gtest/gtest.h>

#include "../unit/support/memory_registry.h"
#include "passwords/password_codec.h"
#include "res/resource.h"
#include "ui_script.h"

namespace veilora {
namespace {

using test::UiScript;

struct FakeHost : OptionsDialogHost {
    Options& liveOptions() override { return options; }
    bool coverPictureExists() override { return pictureExists; }
    void acceptOptions() override { ++accepted; }
    void cancelOptions() override { ++cancelled; }
    void showOptionsHelp() override { ++help; }
    void startCapture() override { ++captures; }
    RegSettings& passwordSettings() override { return settings; }
    void passwordSet() override { ++passwordsSet; }

    Options options;
    bool pictureExists = false;
    int accepted = 0, cancelled = 0, help = 0, captures = 0, passwordsSet = 0;
    test::MemoryRegistry registry;
    RegSettings settings{registry};
};

struct OptionsDialogTest : ::testing::Test {
    OptionsDialogTest() { host.options.hideMethodMin = CheckState::Checked; }

    LRESULT check(int id) { return ::SendDlgItemMessageW(dialog.hwnd(), id, BM_GETCHECK, 0, 0); }
    void click(int id) { ::SendDlgItemMessageW(dialog.hwnd(), id, BM_CLICK, 0, 0); }
    // Posted: the click may open a message box, whose loop the script runs in.
    UiScript::Step post(int id) {
        return [this, id] {
            ::PostMessageW(dialog.item(id), BM_CLICK, 0, 0);
            return true;
        };
    }
    bool runScript(std::vector<UiScript::Step> steps) {
        UiScript script(std::move(steps));
        const bool done = test::pumpUntil([&] { return script.finished() || script.timedOut(); });
        test::pumpUntil([] { return false; }, 50);  // let the last posted click land
        return done && !script.timedOut();
    }
    int focusedId() { return ::GetDlgCtrlID(::GetFocus()); }

    FakeHost host;
    OptionsDialog dialog{host};
};

TEST_F(OptionsDialogTest, ShowsTheLiveOptionsAndWritesEveryClickBack) {
    host.options.zones[kZoneRightEdge] = CheckState::Checked;
    host.options.zones[kZoneBottomEdge] = CheckState::Grayed;
    host.options.trayIconNormal = false;
    host.options.muteSoundEnabled = false;
    host.options.passwordStored = true;
    dialog.show();
    ASSERT_TRUE(dialog.visible());
    EXPECT_EQ(test::windowText(dialog.hwnd()), L"Veilora - Options");
    EXPECT_EQ(check(IDC_OPT_ZONE_LEFT), BST_UNCHECKED);
    EXPECT_EQ(check(IDC_OPT_ZONE_RIGHT), BST_CHECKED);
    EXPECT_EQ(check(IDC_OPT_ZONE_BOTTOM), BST_UNCHECKED) << "grey arms nothing";
    EXPECT_EQ(check(IDC_OPT_TRAY_INVISIBLE), BST_CHECKED);
    EXPECT_FALSE(::IsWindowEnabled(dialog.item(IDC_OPT_MUTE)));
    EXPECT_FALSE(::IsWindowVisible(dialog.item(IDC_OPT_CAPTURE)));
    EXPECT_EQ(test::windowText(dialog.item(IDC_OPT_PASSWORD)), L"Change &Password");

    click(IDC_OPT_WHEEL);
    click(IDC_OPT_ZONE_RIGHT);
    click(IDC_OPT_TRAY_NORMAL);
    EXPECT_EQ(host.options.mouseWheel, CheckState::Checked);
    EXPECT_EQ(host.options.zones[kZoneRightEdge], CheckState::Unchecked);
    EXPECT_TRUE(host.options.trayIconNormal);
    // A state set without a click is read when OK is pressed.
    ::SendDlgItemMessageW(dialog.hwnd(), IDC_OPT_START_ENABLED, BM_SETCHECK, BST_CHECKED, 0);
    click(IDOK);
    EXPECT_EQ(host.options.startEnabled, CheckState::Checked);
    EXPECT_EQ(host.accepted, 1);
    EXPECT_FALSE(dialog.visible());
}

TEST_F(OptionsDialogTest, OkRefusalShowsItsMessageAndFocusesTheBoxToChange) {
    dialog.show();
    click(IDC_OPT_MINIMIZE);  // no method of hiding left
    test::SeenMessage seen;
    ASSERT_TRUE(runScript({post(IDOK), test::answerMessage(seen)}));
    EXPECT_EQ(seen.title, L"Error");
    EXPECT_EQ(seen.text, L"You must select at least one method of hiding.");
    EXPECT_EQ(focusedId(), IDC_OPT_MINIMIZE);
    EXPECT_TRUE(dialog.visible());

    click(IDC_OPT_SHOW_CAPTURE);  // without a picture; the capture button is not offered
    ASSERT_TRUE(runScript({post(IDOK), test::answerMessage(seen)}));
    EXPECT_EQ(seen.title, L"Screen Image File Missing");
    EXPECT_EQ(focusedId(), IDC_OPT_SHOW_CAPTURE);
    EXPECT_EQ(host.accepted, 0);
}

TEST_F(OptionsDialogTest, CancelCloseBoxAndHelp) {
    dialog.show();
    click(IDC_OPT_HELP);
    ::SendMessageW(dialog.hwnd(), WM_HELP, 0, 0);  // what F1 sends
    EXPECT_EQ(host.help, 2);
    EXPECT_TRUE(dialog.visible());

    click(IDCANCEL);
    EXPECT_EQ(host.cancelled, 1);
    EXPECT_FALSE(dialog.visible());
    dialog.show();
    ::SendMessageW(dialog.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    test::pumpUntil([&] { return host.cancelled == 2; }, 1000);
    EXPECT_EQ(host.cancelled, 2);
    EXPECT_FALSE(dialog.visible());
    EXPECT_TRUE(::IsWindow(dialog.hwnd())) << "the close box only hides";
    EXPECT_EQ(host.accepted, 0);
}

TEST_F(OptionsDialogTest, CaptureButtonWhenOffered) {
    OptionsDialog withCapture(host, {.captureButton = true});
    withCapture.show();
    ASSERT_TRUE(::IsWindowVisible(withCapture.item(IDC_OPT_CAPTURE)));
    ::SendMessageW(withCapture.item(IDC_OPT_CAPTURE), BM_CLICK, 0, 0);
    EXPECT_EQ(host.captures, 1);
}

TEST_F(OptionsDialogTest, ModalRunReportsWhetherOkAcceptedTheOptions) {
    for (const int button : {IDOK, IDCANCEL}) {
        UiScript script({[button] {
            HWND found = test::findWindow(L"Veilora - Options");
            if (found) ::PostMessageW(::GetDlgItem(found, button), BM_CLICK, 0, 0);
            return found != nullptr;
        }});
        EXPECT_EQ(dialog.showModal(), button == IDOK);
    }
    EXPECT_EQ(host.accepted, 1);
    EXPECT_EQ(host.cancelled, 1);
}

TEST_F(OptionsDialogTest, SettingAPasswordTurnsTheButtonIntoChangePassword) {
    dialog.show();
    EXPECT_EQ(test::windowText(dialog.item(IDC_OPT_PASSWORD)), L"Set &Password");
    test::SeenMessage seen;
    ASSERT_TRUE(runScript({post(IDC_OPT_PASSWORD),
                           [&] {
                               HWND set = test::findWindow(L"Set Password");
                               if (!set) return false;
                               ::SetDlgItemTextW(set, IDC_PW_NEW, L"Abc");
                               ::SetDlgItemTextW(set, IDC_PW_REPEAT, L"Abc");
                               ::PostMessageW(::GetDlgItem(set, IDOK), BM_CLICK, 0, 0);
                               return true;
                           },
                           test::answerMessage(seen)}));
    EXPECT_EQ(seen.text, L"Password succesfully set.");
    EXPECT_EQ(host.passwordsSet, 1);
    EXPECT_TRUE(host.options.passwordStored);
    EXPECT_EQ(test::windowText(dialog.item(IDC_OPT_PASSWORD)), L"Change &Password");
    const auto stored = host.registry.get(RegistryRoot::CurrentUser,
                                          "Software\\Fernwick\\Veilora\\General", "Offset");
    ASSERT_TRUE(stored);
    EXPECT_EQ(decodePassword(stored->data.c_str()), "Abc");
}

}  // namespace
}  // namespace veilora
