#include "passwords/password_dialogs.h"

#include <gtest/gtest.h>

#include <new>
#include <string_view>

#include "passwords/password_codec.h"
#include "ports/ports.h"
#include "support/password_dialogs_fixture.h"

namespace veilora {
namespace {

using test::PasswordDialogsTest;
using test::typed;
using test::unrepresentable;

const std::string kCannotStore =
    ": The new password contains characters that cannot be stored. Please use other characters.";

TEST_F(PasswordDialogsTest, SetStoresOnlyTwoEqualStorableTextsAndReportsAFailedWrite) {
    EXPECT_EQ(set(typed("secret"), typed("secreT")),
              "new exclamation Error: Passwords do not match.");
    EXPECT_EQ(set(unrepresentable(), typed("?")), "new exclamation Error: Passwords do not match.");
    EXPECT_EQ(set(unrepresentable(), unrepresentable()), "new exclamation Error" + kCannotStore);
    EXPECT_EQ(set(typed("a\xff"), typed("a\xff")), "new exclamation Error" + kCannotStore);
    const std::string zero("a\0b", 3), tooLong(256, 'x');
    EXPECT_EQ(set(typed(zero), typed(zero)), "new exclamation Error" + kCannotStore);
    EXPECT_EQ(
        set(typed(tooLong), typed(tooLong)),
        "new exclamation Error: The new password is too long. Please use at most 255 characters.");
    EXPECT_EQ(set(typed(""), typed("")), "new") << "OK is disabled; a stray command does nothing";
    EXPECT_EQ(stored(), "<none>");

    settings.setCompany("Elsewhere");  // the program's own key all the same
    std::string longest(kMaxPasswordLength, 'x');
    longest.front() = '\x01';
    longest.back() = '\xfe';
    for (const std::string& password : {std::string("Secret 1"), longest}) {
        EXPECT_EQ(set(typed(password), typed(password)),
                  "stored information Success: Password succesfully set.");
        EXPECT_EQ(stored(), password);
    }
    registry.writeFails = RegistryRoot::CurrentUser;
    EXPECT_EQ(
        set(typed("secret"), typed("secret")),
        "none critical Error: The password could not be stored in the registry. Nothing has been "
        "changed.");
}

TEST_F(PasswordDialogsTest, ChangeNeedsAStoredPasswordThenTheOldOneThenTwoEqualNewOnes) {
    store("damaged");
    for (const char* old : {"", "x"}) {
        EXPECT_TRUE(change(typed(old), typed("n"), typed("n"))
                        .starts_with("none critical Critical Error: "))
            << "nothing stored comes first: " << old;
    }
    settings.setCompany("Elsewhere");  // the program's own key all the same
    store(encodePassword("Old"));
    EXPECT_EQ(change(typed("old"), typed("n"), typed("m")),
              "old exclamation Error: Incorrect Old Password")
        << "the old password comes before the new ones";
    EXPECT_EQ(change(unrepresentable(), typed("n"), typed("n")),
              "old exclamation Error: Incorrect Old Password");
    EXPECT_EQ(change(typed("Old"), typed("new"), typed("other")),
              "new exclamation Error: New passwords do not match.");
    EXPECT_EQ(change(typed("Old"), typed("\xff"), typed("\xff")),
              "new exclamation Error" + kCannotStore);
    EXPECT_EQ(stored(), "Old");
    EXPECT_EQ(change(typed("Old"), typed("new"), typed("new")),
              "stored information Success: Password succesfully changed.");
    EXPECT_EQ(stored(), "new");
}

TEST(Wipe, LeavesNoCharacterBehind) {
    std::string text(40, 'p');  // long enough to live on the heap
    const char* bytes = text.data();
    wipe(text);
    EXPECT_EQ(std::string(bytes, 40), std::string(40, '\0'));

    std::optional<std::string> converted(std::string(40, 'p'));
    TypedPassword typed(std::move(converted));
    EXPECT_EQ(converted, "") << "what it was made from";
    TypedPassword moved(std::move(typed));
    EXPECT_EQ(typed.ansi(), "") << "what it was moved from";
    TypedPassword assigned = test::typed("x");
    assigned = std::move(moved);
    EXPECT_EQ(moved.ansi(), "") << "what it was assigned from";
    EXPECT_EQ(assigned.ansi(), std::string(40, 'p'));
    assigned = unrepresentable();
    EXPECT_FALSE(assigned.representable());

    // A short password lives inside the object that took it from the prompt: passed on, that
    // object holds none of its characters once it is gone.
    alignas(PromptAnswer) unsigned char typedInto[sizeof(PromptAnswer)];
    auto* answer = new (typedInto) PromptAnswer(std::string("Zq#4"));
    const std::optional<PromptAnswer> passedOn(std::move(*answer));
    answer->~PromptAnswer();
    EXPECT_EQ(passedOn->text, "Zq#4");
    const std::string_view left(reinterpret_cast<const char*>(typedInto), sizeof typedInto);
    EXPECT_EQ(left.find("q#4"), std::string_view::npos);
}

}  // namespace
}  // namespace veilora
