#include "passwords/password_dialogs.h"

#include <gtest/gtest.h>

#include "passwords/password_codec.h"
#include "support/memory_registry.h"

namespace veilora {
namespace {

const std::string kGeneralKey = "Software\\Fernwick\\Veilora\\General";
const std::string kCannotStore =
    ": The new password contains characters that cannot be stored. Please use other characters.";

TypedPassword typed(std::string text) { return TypedPassword(std::optional<std::string>(text)); }
TypedPassword unrepresentable() { return TypedPassword(std::optional<std::string>()); }

// What OK did: "stored" or the field it focuses, then the message's title and text.
std::string outcome(const PasswordOutcome& o) {
    const char* fields[] = {"none", "old", "new", "repeat"};
    return (o.stored ? "stored" : fields[static_cast<int>(o.focus)]) +
           (o.notice ? " " + std::string(o.notice->title) + ": " + std::string(o.notice->text)
                     : "");
}

struct PasswordDialogsTest : ::testing::Test {
    std::string set(TypedPassword first, TypedPassword second) {
        return outcome(setPasswordOk(first, second, settings));
    }
    std::string change(TypedPassword old, TypedPassword first, TypedPassword second) {
        return outcome(changePasswordOk(old, first, second, settings));
    }
    std::string stored() const {
        const auto value = registry.get(RegistryRoot::CurrentUser, kGeneralKey, "Offset");
        return value ? decodePassword(value->data.c_str()) : std::string("<none>");
    }
    test::MemoryRegistry registry;
    RegSettings settings{registry};
};

TEST_F(PasswordDialogsTest, SetStoresOnlyTwoEqualStorableTextsAndReportsAFailedWrite) {
    EXPECT_EQ(set(typed("secret"), typed("secreT")), "new Error: Passwords do not match.");
    EXPECT_EQ(set(unrepresentable(), typed("?")), "new Error: Passwords do not match.");
    EXPECT_EQ(set(unrepresentable(), unrepresentable()), "new Error" + kCannotStore);
    EXPECT_EQ(set(typed("a\xff"), typed("a\xff")), "new Error" + kCannotStore);
    const std::string zero("a\0b", 3), tooLong(256, 'x');
    EXPECT_EQ(set(typed(zero), typed(zero)), "new Error" + kCannotStore);
    EXPECT_EQ(set(typed(tooLong), typed(tooLong)),
              "new Error: The new password is too long. Please use at most 255 characters.");
    EXPECT_EQ(set(typed(""), typed("")), "new") << "OK is disabled; a stray command does nothing";
    EXPECT_EQ(stored(), "<none>");

    settings.setCompany("Elsewhere");  // the program's own key all the same
    std::string longest(kMaxPasswordLength, 'x');
    longest.front() = '\x01';
    longest.back() = '\xfe';
    for (const std::string& password : {std::string("Secret 1"), longest}) {
        EXPECT_EQ(set(typed(password), typed(password)),
                  "stored Success: Password succesfully set.");
        EXPECT_EQ(stored(), password);
    }
    registry.writeFails = RegistryRoot::CurrentUser;
    EXPECT_EQ(set(typed("secret"), typed("secret")),
              "none Error: The password could not be stored in the registry. Nothing has been "
              "changed.");
}

TEST_F(PasswordDialogsTest, ChangeNeedsAStoredPasswordThenTheOldOneThenTwoEqualNewOnes) {
    registry.putString(kGeneralKey, "Offset", "damaged");
    EXPECT_TRUE(change(typed(""), typed("n"), typed("n")).starts_with("none Critical Error: "));
    settings.setCompany("Elsewhere");  // the program's own key all the same
    registry.putString(kGeneralKey, "Offset", encodePassword("Old"));
    EXPECT_EQ(change(typed("old"), typed("n"), typed("n")), "old Error: Incorrect Old Password");
    EXPECT_EQ(change(unrepresentable(), typed("n"), typed("n")),
              "old Error: Incorrect Old Password");
    EXPECT_EQ(change(typed("Old"), typed("new"), typed("other")),
              "new Error: New passwords do not match.");
    EXPECT_EQ(change(typed("Old"), typed("\xff"), typed("\xff")), "new Error" + kCannotStore);
    EXPECT_EQ(stored(), "Old");
    EXPECT_EQ(change(typed("Old"), typed("new"), typed("new")),
              "stored Success: Password succesfully changed.");
    EXPECT_EQ(stored(), "new");
}

TEST(Wipe, LeavesNoCharacterBehind) {
    std::string text(40, 'p');  // long enough to live on the heap
    const char* bytes = text.data();
    wipe(text);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(std::string(bytes, 40), std::string(40, '\0'));

    std::optional<std::string> converted(std::string(40, 'p'));
    TypedPassword typed(std::move(converted));
    EXPECT_EQ(converted, "") << "what it was made from";
    TypedPassword moved(std::move(typed));
    EXPECT_EQ(typed.ansi(), "") << "what it was moved from";
    EXPECT_EQ(moved.ansi(), std::string(40, 'p'));
}

}  // namespace
}  // namespace veilora
