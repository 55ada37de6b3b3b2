#include "passwords/password_dialogs.h"

#include "passwords/password_codec.h"

namespace veilora {

namespace {

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kOffset = "Offset";

PasswordOutcome stay(std::optional<Notice> notice, PasswordField focus) {
    return {false, notice, focus};
}

// The new password, checked and written. Shared tail of both dialogs.
PasswordOutcome storeNewPassword(const TypedPassword& newPassword, RegSettings& settings,
                                 const Notice& success) {
    // OK is disabled while a field is empty; a direct command must not clear the password.
    if (newPassword.empty()) return stay(std::nullopt, PasswordField::New);
    if (auto problem = newPasswordProblem(newPassword)) return stay(problem, PasswordField::New);
    std::string encoded = encodePassword(newPassword.ansi());
    const bool written = settings.saveSetting(kGeneral, kOffset, encoded);
    wipe(encoded);
    if (!written) {
        // Saying "succesfully" here would leave the person locked out by a password that
        // was never stored, or locked in by the old one.
        return stay(Notice{"The password could not be stored in the registry. Nothing has been "
                           "changed.",
                           "Error", MessageIcon::Critical},
                    PasswordField::None);
    }
    return {true, success, PasswordField::None};
}

void useOwnKeys(RegSettings& settings) {
    settings.setCompany(kCompanyName);
    settings.setAppName(kProductName);
}

}  // namespace

PasswordOutcome setPasswordOk(const TypedPassword& newPassword, const TypedPassword& repeated,
                              RegSettings& settings) {
    useOwnKeys(settings);
    if (!newPassword.sameAs(repeated)) {
        return stay(Notice{"Passwords do not match.", "Error", MessageIcon::Exclamation},
                    PasswordField::New);
    }
    return storeNewPassword(newPassword, settings,
                            {"Password succesfully set.", "Success", MessageIcon::Information});
}

PasswordOutcome changePasswordOk(const TypedPassword& oldPassword, const TypedPassword& newPassword,
                                 const TypedPassword& repeated, RegSettings& settings) {
    useOwnKeys(settings);
    std::string stored = decodePassword(settings.getSetting(kGeneral, kOffset));
    const bool missing = stored.empty();
    const bool oldMatches = oldPassword.matches(stored);
    wipe(stored);
    if (missing) {
        return stay(Notice{"There is a problem with the program's registry settings. It cannot "
                           "find a stored password. Please reinstall the program to reset "
                           "default password. This will not cause any data loss.",
                           "Critical Error", MessageIcon::Critical},
                    PasswordField::None);
    }
    if (!oldMatches) {
        return stay(Notice{"Incorrect Old Password", "Error", MessageIcon::Exclamation},
                    PasswordField::Old);
    }
    if (!newPassword.sameAs(repeated)) {
        return stay(Notice{"New passwords do not match.", "Error", MessageIcon::Exclamation},
                    PasswordField::New);
    }
    return storeNewPassword(newPassword, settings,
                            {"Password succesfully changed.", "Success", MessageIcon::Information});
}

}  // namespace veilora
