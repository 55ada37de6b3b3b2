// The Set and Change Password dialogs driven through their fields (their rules are unit-tested),
// and the one conversion of typed passwords.
#include "passwords/password_dialogs_win32.h"

#include <gtest/gtest.h>

#include "../unit/support/memory_registry.h"
#include "passwords/password_codec.h"
#include "passwords/password_text_win32.h"
#include "res/resource.h"
#include "ui_script.h"

namespace veilora {
namespace {

using Step = std::function<bool(HWND)>;

struct PasswordDialogsTest : ::testing::Test {
    // Runs a dialog, each step acting on the window titled `title` once it is up.
    bool run(bool (*dialog)(HWND, RegSettings&), const std::wstring& title,
             std::vector<Step> steps) {
        std::vector<test::UiScript::Step> script;
        for (auto& step : steps) {
            script.push_back([&title, step] {
                HWND window = test::findWindow(title);
                return window && step(window);
            });
        }
        test::UiScript driver(std::move(script));
        const bool stored = dialog(nullptr, settings);
        EXPECT_FALSE(driver.timedOut());
        return stored;
    }
    static Step type(int id, const wchar_t* text) {
        return [id, text](HWND window) { return ::SetDlgItemTextW(window, id, text) != FALSE; };
    }
    static Step press(int id) {
        return [id](HWND window) { return ::PostMessageW(window, WM_COMMAND, id, 0) != FALSE; };
    }
    static Step answer(test::SeenMessage& seen) {
        return [step = test::answerMessage(seen)](HWND) { return step(); };
    }
    // The focused control and its selection, as the person would find them.
    Step lookAtFocus() {
        return [this](HWND) {
            focusId = ::GetDlgCtrlID(::GetFocus());
            selection = static_cast<DWORD>(::SendMessageW(::GetFocus(), EM_GETSEL, 0, 0));
            return true;
        };
    }
    std::string storedPassword() {
        auto value = registry.get(RegistryRoot::CurrentUser, "Software\\Fernwick\\Veilora\\General",
                                  "Offset");
        return value ? decodePassword(value->data.c_str()) : "<none>";
    }

    test::MemoryRegistry registry;
    RegSettings settings{registry};
    int focusId = 0;
    DWORD selection = 0;
};

TEST_F(PasswordDialogsTest, MaskedFieldsAndAnOkThatWaitsForEveryField) {
    const auto okEnabled = [](HWND window) {
        return ::IsWindowEnabled(::GetDlgItem(window, IDOK));
    };
    const bool stored = run(runSetPasswordDialog, L"Set Password",
                            {[&](HWND window) {
                                 HWND field = ::GetDlgItem(window, IDC_PW_REPEAT);
                                 EXPECT_EQ(::SendMessageW(field, EM_GETPASSWORDCHAR, 0, 0), L'*');
                                 EXPECT_EQ(::SendMessageW(field, EM_GETLIMITTEXT, 0, 0), 255);
                                 EXPECT_FALSE(okEnabled(window));
                                 ::SetDlgItemTextW(window, IDC_PW_NEW, L"x");
                                 EXPECT_FALSE(okEnabled(window));
                                 ::SetDlgItemTextW(window, IDC_PW_REPEAT, L"x");
                                 EXPECT_TRUE(okEnabled(window));
                                 return true;
                             },
                             press(IDCANCEL)});
    EXPECT_FALSE(stored);
    EXPECT_EQ(storedPassword(), "<none>");
}

TEST_F(PasswordDialogsTest, SetSelectsTheFieldToCorrectThenStores) {
    test::SeenMessage mismatch, success;
    EXPECT_TRUE(run(
        runSetPasswordDialog, L"Set Password",
        {type(IDC_PW_NEW, L"Secret"), type(IDC_PW_REPEAT, L"secret"), press(IDOK), answer(mismatch),
         lookAtFocus(), type(IDC_PW_REPEAT, L"Secret"), press(IDOK), answer(success)}));
    EXPECT_EQ(mismatch.text, L"Passwords do not match.");
    EXPECT_EQ(focusId, IDC_PW_NEW);
    EXPECT_EQ(selection, static_cast<DWORD>(MAKELONG(0, 6))) << "the whole text selected";
    EXPECT_EQ(success.title, L"Success");
    EXPECT_EQ(storedPassword(), "Secret");
}

TEST_F(PasswordDialogsTest, ChangeReadsTheOldPasswordFromItsOwnField) {
    registry.putString("Software\\Fernwick\\Veilora\\General", "Offset", encodePassword("old"));
    test::SeenMessage wrongOld, success;
    EXPECT_TRUE(run(runChangePasswordDialog, L"Change Password",
                    {type(IDC_PW_OLD, L"new"), type(IDC_PW_NEW, L"new"),
                     type(IDC_PW_REPEAT, L"new"), press(IDOK), answer(wrongOld), lookAtFocus(),
                     type(IDC_PW_OLD, L"old"), press(IDOK), answer(success)}));
    EXPECT_EQ(wrongOld.text, L"Incorrect Old Password");
    EXPECT_EQ(focusId, IDC_PW_OLD);
    EXPECT_EQ(success.text, L"Password succesfully changed.");
    EXPECT_EQ(storedPassword(), "new");
}

TEST(PasswordToAnsi, IsExactOrNothing) {
    EXPECT_EQ(passwordToAnsi(L""), "");
    EXPECT_EQ(passwordToAnsi(L"Abc 123!"), "Abc 123!");
    if (::GetACP() == 1252) {
        EXPECT_EQ(passwordToAnsi(L"\u00E9\u00FF"), "\xE9\xFF");
        EXPECT_FALSE(passwordToAnsi(L"\u0101")) << "no look-alike 'a' for a-macron";
        EXPECT_FALSE(passwordToAnsi(L"\u4E2D"));
    }
    EXPECT_FALSE(passwordToAnsi(L"a\xD800")) << "a lone surrogate, in any code page";
}

}  // namespace
}  // namespace veilora
