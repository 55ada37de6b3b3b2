// The one conversion of typed passwords into the code page the stored form is made of.
#include "passwords/password_text_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace veilora {
namespace {

TEST(PasswordToAnsi, IsExactOrNothing) {
    EXPECT_EQ(passwordToAnsi(L""), "");
    EXPECT_EQ(passwordToAnsi(L"Abc 123!"), "Abc 123!");
    EXPECT_FALSE(passwordToAnsi(L"a\xD800")) << "a lone surrogate, in any code page";
}

TEST(PasswordToAnsi, TakesNoLookAlikesInTheWesternCodePage) {
    if (::GetACP() != 1252) GTEST_SKIP() << "written for the Western code page 1252";
    EXPECT_EQ(passwordToAnsi(L"\u00E9\u00FF"), "\xE9\xFF");
    EXPECT_FALSE(passwordToAnsi(L"\u0101")) << "no look-alike 'a' for a-macron";
    EXPECT_FALSE(passwordToAnsi(L"\u4E2D"));
}

}  // namespace
}  // namespace veilora
