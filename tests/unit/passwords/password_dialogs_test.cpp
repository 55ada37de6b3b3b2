#include "passwords/password_dialogs.h"

#include <gtest/gtest.h>

#include "passwords/password_codec.h"
#include "support/memory_registry.h"

namespace veilora {
namespace {

const std::string kGeneralKey = "Software\\Fernwick\\Veilora\\General";

TypedPassword typed(std::string text) {
    return TypedPassword(std::optional<std::string>(text));
}
TypedPassword unrepresentable() {
    return TypedPassword(std::optional<std::string>());
}

struct PasswordDialogsTest : ::testing::Test {
    std::string stored() const {
        const auto value = registry.get(RegistryRoot::CurrentUser, kGeneralKey, "Offset");
        return value ? decodePassword(value->data.c_str()) : std::string("<none>");
    }
    void store(std::string_view password) {
        registry.putString(kGeneralKey, "Offset", encodePassword(password));
    }
    test::MemoryRegistry registry;
    RegSettings settings{registry};
};

TEST_F(PasswordDialogsTest, SetStoresTheAgreedPasswordAndSaysSo) {
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
}

TEST_F(PasswordDialogsTest, SetRefusesWithoutStoringAndPointsAtTheNewField) {
    const Notice mismatch{"Passwords do not match.", "Error", MessageIcon::Exclamation};
    const Notice cannotStore{
        "The new password contains characters that cannot be stored. Please use other "
        "characters.",
        "Error", MessageIcon::Exclamation};
    struct Case {
        TypedPassword first, second;
        std::optional<Notice> notice;
    };
    Case cases[] = {
        {typed("secret"), typed("secreT"), mismatch},  // case counts
        {typed("secret"), typed("secret "), mismatch},
        {unrepresentable(), typed("?"), mismatch},
        {unrepresentable(), unrepresentable(), cannotStore},
        {typed(std::string("a\xff", 2)), typed(std::string("a\xff", 2)), cannotStore},
        {typed(std::string("a\0b", 3)), typed(std::string("a\0b", 3)), cannotStore},
        {typed(std::string(256, 'x')), typed(std::string(256, 'x')),
         Notice{"The new password is too long. Please use at most 255 characters.", "Error",
                MessageIcon::Exclamation}},
        {typed(""), typed(""), std::nullopt},  // OK is disabled; a stray command does nothing
    };
    for (const Case& c : cases) {
        const PasswordOutcome outcome = setPasswordOk(c.first, c.second, settings);
        EXPECT_FALSE(outcome.stored);
        EXPECT_EQ(outcome.notice, c.notice) << c.first.ansi();
        EXPECT_EQ(outcome.focus, PasswordField::New);
        EXPECT_EQ(stored(), "<none>");
    }
}

TEST_F(PasswordDialogsTest, SetReportsAFailedWriteInsteadOfSuccess) {
    registry.writeFails = RegistryRoot::CurrentUser;
    const PasswordOutcome outcome = setPasswordOk(typed("secret"), typed("secret"), settings);
    EXPECT_FALSE(outcome.stored);
    ASSERT_TRUE(outcome.notice);
    EXPECT_EQ(outcome.notice->title, "Error");
    EXPECT_EQ(outcome.notice->icon, MessageIcon::Critical);
}

TEST_F(PasswordDialogsTest, ChangeChecksTheOldPasswordFirst) {
    settings.setCompany("Elsewhere");  // the program's own key all the same
    store("Old");
    const PasswordOutcome wrongOld =
        changePasswordOk(typed("old"), typed("new"), typed("other"), settings);
    EXPECT_EQ(wrongOld.notice,
              (Notice{"Incorrect Old Password", "Error", MessageIcon::Exclamation}));
    EXPECT_EQ(wrongOld.focus, PasswordField::Old);
    EXPECT_FALSE(changePasswordOk(unrepresentable(), typed("n"), typed("n"), settings).stored);

    const PasswordOutcome mismatch =
        changePasswordOk(typed("Old"), typed("new"), typed("other"), settings);
    EXPECT_EQ(mismatch.notice,
              (Notice{"New passwords do not match.", "Error", MessageIcon::Exclamation}));
    EXPECT_EQ(mismatch.focus, PasswordField::New);

    EXPECT_EQ(changePasswordOk(typed("Old"), typed(std::string(1, '\xff')),
                               typed(std::string(1, '\xff')), settings)
                  .focus,
              PasswordField::New);
    EXPECT_EQ(stored(), "Old");

    const PasswordOutcome changed =
        changePasswordOk(typed("Old"), typed("new"), typed("new"), settings);
    EXPECT_TRUE(changed.stored);
    EXPECT_EQ(changed.notice,
              (Notice{"Password succesfully changed.", "Success", MessageIcon::Information}));
    EXPECT_EQ(stored(), "new");
}

TEST_F(PasswordDialogsTest, ChangeWithoutAStoredPasswordIsACriticalError) {
    for (const char* offset : {"", "damaged"}) {
        registry.putString(kGeneralKey, "Offset", offset);
        const PasswordOutcome outcome =
            changePasswordOk(typed(""), typed("new"), typed("new"), settings);
        EXPECT_FALSE(outcome.stored);
        EXPECT_EQ(outcome.notice,
                  (Notice{"There is a problem with the program's registry settings. It cannot "
                          "find a stored password. Please reinstall the program to reset default "
                          "password. This will not cause any data loss.",
                          "Critical Error", MessageIcon::Critical}));
    }
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
