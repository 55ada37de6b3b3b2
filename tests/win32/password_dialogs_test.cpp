// The Set and Change Password dialogs driven through their fields, and the one conversion of
// typed passwords.
#include "passwords/password_dialogs_win32.h"

#include <gtest/gtest.h>

#include "../unit/support/memory_registry.h"
#include "passwords/password_codec.h"
#include "passwords/password_text_win32.h"
#include "res/resource.h"
#include "ui_script.h"

namespace veilora {
namespace {

using test::UiScript;

const std::string kGeneralKey = "Software\\Fernwick\\Veilora\\General";

struct PasswordDialogsTest : ::testing::Test {
    // Runs `dialog` with the steps acting on the window titled `title`.
    template <typename Run>
    bool run(Run dialog, const std::wstring& title, std::vector<std::function<bool(HWND)>> steps) {
        std::vector<UiScript::Step> script;
        for (auto& step : steps) {
            script.push_back([&title, step] {
                HWND window = test::findWindow(title);
                return window && step(window);
            });
        }
        UiScript driver(std::move(script));
        const bool stored = dialog(nullptr, settings);
        EXPECT_FALSE(driver.timedOut());
        return stored;
    }
    static std::function<bool(HWND)> type(int id, const wchar_t* text) {
        return [id, text](HWND window) { return ::SetDlgItemTextW(window, id, text) != FALSE; };
    }
    static std::function<bool(HWND)> press(int id) {
        return [id](HWND window) { return ::PostMessageW(window, WM_COMMAND, id, 0) != FALSE; };
    }
    std::function<bool(HWND)> answer(test::SeenMessage& seen) {
        auto step = test::answerMessage(seen);
        return [step](HWND) { return step(); };
    }
    std::string storedPassword() {
        auto value = registry.get(RegistryRoot::CurrentUser, kGeneralKey, "Offset");
        return value ? decodePassword(value->data.c_str()) : "<none>";
    }

    test::MemoryRegistry registry;
    RegSettings settings{registry};
};

TEST_F(PasswordDialogsTest, FieldsAreMaskedAndOkWaitsForEveryField) {
    const bool stored = run(runSetPasswordDialog, L"Set Password",
                            {[&](HWND window) {
                                 HWND field = ::GetDlgItem(window, IDC_PW_NEW);
                                 EXPECT_EQ(::SendMessageW(field, EM_GETPASSWORDCHAR, 0, 0), L'*');
                                 EXPECT_EQ(::SendMessageW(field, EM_GETLIMITTEXT, 0, 0), 255);
                                 const bool before = ::IsWindowEnabled(::GetDlgItem(window, IDOK));
                                 ::SetDlgItemTextW(window, IDC_PW_NEW, L"x");
                                 const bool one = ::IsWindowEnabled(::GetDlgItem(window, IDOK));
                                 ::SetDlgItemTextW(window, IDC_PW_REPEAT, L"x");
                                 const bool both = ::IsWindowEnabled(::GetDlgItem(window, IDOK));
                                 EXPECT_FALSE(before);
                                 EXPECT_FALSE(one);
                                 EXPECT_TRUE(both);
                                 return true;
                             },
                             press(IDCANCEL)});
    EXPECT_FALSE(stored);
    EXPECT_EQ(storedPassword(), "<none>");
}

TEST_F(PasswordDialogsTest, SetRefusalSelectsTheNewPasswordAndSuccessStoresIt) {
    test::SeenMessage mismatch, success;
    DWORD selection = 0;
    HWND focus = nullptr, field = nullptr;
    const bool stored =
        run(runSetPasswordDialog, L"Set Password",
            {type(IDC_PW_NEW, L"Secret"), type(IDC_PW_REPEAT, L"secret"), press(IDOK),
             answer(mismatch),
             [&](HWND window) {
                 field = ::GetDlgItem(window, IDC_PW_NEW);
                 focus = ::GetFocus();
                 selection = static_cast<DWORD>(::SendMessageW(field, EM_GETSEL, 0, 0));
                 return true;
             },
             type(IDC_PW_REPEAT, L"Secret"), press(IDOK), answer(success)});
    EXPECT_EQ(mismatch.title, L"Error");
    EXPECT_EQ(mismatch.text, L"Passwords do not match.");
    EXPECT_EQ(focus, field);
    EXPECT_EQ(selection, MAKELONG(0, 6)) << "the whole text selected";
    EXPECT_EQ(success.title, L"Success");
    EXPECT_TRUE(stored);
    EXPECT_EQ(storedPassword(), "Secret");
}

TEST_F(PasswordDialogsTest, ChangeRefusesAWrongOldPasswordAndACharacterItCannotStore) {
    registry.putString(kGeneralKey, "Offset", encodePassword("old"));
    test::SeenMessage wrongOld, cannotStore, success;
    int focusId = 0;
    const bool changed =
        run(runChangePasswordDialog, L"Change Password",
            {type(IDC_PW_OLD, L"OLD"), type(IDC_PW_NEW, L"\xD800"), type(IDC_PW_REPEAT, L"\xD800"),
             press(IDOK), answer(wrongOld),
             [&](HWND) {
                 focusId = ::GetDlgCtrlID(::GetFocus());
                 return true;
             },
             type(IDC_PW_OLD, L"old"), press(IDOK), answer(cannotStore),
             type(IDC_PW_NEW, L"new"), type(IDC_PW_REPEAT, L"new"), press(IDOK),
             answer(success)});
    EXPECT_EQ(wrongOld.text, L"Incorrect Old Password");
    EXPECT_EQ(focusId, IDC_PW_OLD);
    EXPECT_EQ(cannotStore.text,
              L"The new password contains characters that cannot be stored. Please use other "
              L"characters.");
    EXPECT_EQ(success.text, L"Password succesfully changed.");
    EXPECT_TRUE(changed);
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
    EXPECT_FALSE(passwordToAnsi(std::wstring(1, static_cast<wchar_t>(0xD800))))
        << "a lone surrogate";
}

}  // namespace
}  // namespace veilora
