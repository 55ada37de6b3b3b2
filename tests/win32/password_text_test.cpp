// The one conversion of typed passwords into the code page the stored form is made of.
#include "passwords/password_text_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace veilora {
namespace {

// The converted text, or nullopt when the code page cannot hold it.
std::optional<std::string> ansi(std::wstring_view typed) {
    const TypedPassword password = passwordToAnsi(typed);
    if (!password.representable()) return std::nullopt;
    return password.ansi();
}

TEST(PasswordToAnsi, IsExactOrNothing) {
    EXPECT_EQ(ansi(L""), "");
    EXPECT_EQ(ansi(L"Abc 123!"), "Abc 123!");
    EXPECT_FALSE(ansi(L"a\xD800")) << "a lone surrogate, in any code page";
}

TEST(PasswordToAnsi, TakesNoLookAlikesInTheWesternCodePage) {
    if (::GetACP() != 1252) GTEST_SKIP() << "written for the Western code page 1252";
    EXPECT_EQ(ansi(L"\u00E9\u00FF"), "\xE9\xFF");
    EXPECT_FALSE(ansi(L"\u0101")) << "no look-alike 'a' for a-macron";
    EXPECT_FALSE(ansi(L"\u4E2D"));
}

}  // namespace
}  // namespace veilora
