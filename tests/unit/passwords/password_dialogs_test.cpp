#include "passwords/password_dialogs.h"

#include <gtest/gtest.h>

#include "passwords/password_codec.h"
#include "support/memory_registry.h"

namespace veilora {
namespace {

const std::string kGeneralKey = "Software\\Fernwick\\Veilora\\General";
const char* const kCannotStore =
    "The new password contains characters that cannot be stored. Please use other characters.";

TypedPassword typed(std::string text) { return TypedPassword(std::optional<std::string>(text)); }
TypedPassword unrepresentable() { return TypedPassword(std::optional<std::string>()); }
std::string_view said(const PasswordOutcome& outcome) {
    return outcome.notice ? outcome.notice->text : "";
}

struct PasswordDialogsTest : ::testing::Test {
    std::string stored() const {
        const auto value = registry.get(RegistryRoot::CurrentUser, kGeneralKey, "Offset");
        return value ? decodePassword(value->data.c_str()) : std::string("<none>");
    }
    test::MemoryRegistry registry;
    RegSettings settings{registry};
};

TEST_F(PasswordDialogsTest, SetStoresOnlyTwoEqualStorableTextsAndReportsAFailedWrite) {
    struct Case {
        TypedPassword first, second;
        std::string_view said;
    };
    Case refused[] = {
        {typed("secret"), typed("secreT"), "Passwords do not match."},  // case counts
        {unrepresentable(), typed("?"), "Passwords do not match."},
        {unrepresentable(), unrepresentable(), kCannotStore},
        {typed("a\xff"), typed("a\xff"), kCannotStore},
        {typed(std::string("a\0b", 3)), typed(std::string("a\0b", 3)), kCannotStore},
        {typed(std::string(256, 'x')), typed(std::string(256, 'x')),
         "The new password is too long. Please use at most 255 characters."},
        {typed(""), typed(""), ""},  // OK is disabled; a stray command does nothing
    };
    for (const Case& c : refused) {
        const PasswordOutcome outcome = setPasswordOk(c.first, c.second, settings);
        EXPECT_FALSE(outcome.stored);
        EXPECT_EQ(said(outcome), c.said) << c.first.ansi();
        EXPECT_EQ(outcome.focus, PasswordField::New);
    }
    EXPECT_EQ(stored(), "<none>");

    settings.setCompany("Elsewhere");  // the program's own key all the same
    std::string longest(kMaxPasswordLength, 'x');
    longest.front() = '\x01';
    longest.back() = '\xfe';
    for (const std::string& password : {std::string("Secret 1"), longest}) {
        const PasswordOutcome outcome = setPasswordOk(typed(password), typed(password), settings);
        EXPECT_TRUE(outcome.stored);
        EXPECT_EQ(outcome.notice,
                  (Notice{"Password succesfully set.", "Success", MessageIcon::Information}));
        EXPECT_EQ(stored(), password);
    }
    registry.writeFails = RegistryRoot::CurrentUser;
    const PasswordOutcome failed = setPasswordOk(typed("secret"), typed("secret"), settings);
    EXPECT_FALSE(failed.stored);
    EXPECT_EQ(failed.notice->icon, MessageIcon::Critical);
}

TEST_F(PasswordDialogsTest, ChangeNeedsAStoredPasswordThenTheOldOneThenTwoEqualNewOnes) {
    registry.putString(kGeneralKey, "Offset", "damaged");
    const PasswordOutcome missing = changePasswordOk(typed(""), typed("n"), typed("n"), settings);
    EXPECT_FALSE(missing.stored);
    EXPECT_EQ(missing.notice->title, "Critical Error");
    settings.setCompany("Elsewhere");  // the program's own key all the same
    registry.putString(kGeneralKey, "Offset", encodePassword("Old"));
    struct Case {
        TypedPassword old, first, second;
        std::string_view said;
        PasswordField focus;
    };
    Case refused[] = {
        {typed("old"), typed("new"), typed("new"), "Incorrect Old Password", PasswordField::Old},
        {unrepresentable(), typed("n"), typed("n"), "Incorrect Old Password", PasswordField::Old},
        {typed("Old"), typed("new"), typed("other"), "New passwords do not match.",
         PasswordField::New},
        {typed("Old"), typed("\xff"), typed("\xff"), kCannotStore, PasswordField::New},
    };
    for (const Case& c : refused) {
        const PasswordOutcome outcome = changePasswordOk(c.old, c.first, c.second, settings);
        EXPECT_FALSE(outcome.stored);
        EXPECT_EQ(said(outcome), c.said);
        EXPECT_EQ(outcome.focus, c.focus) << c.said;
    }
    EXPECT_EQ(stored(), "Old");
    const PasswordOutcome changed =
        changePasswordOk(typed("Old"), typed("new"), typed("new"), settings);
    EXPECT_TRUE(changed.stored);
    EXPECT_EQ(said(changed), "Password succesfully changed.");
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
