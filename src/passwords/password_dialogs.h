// What the OK buttons of the Set Password and Change Password dialogs decide. The dialogs show
// the notice, then either close or put the focus in the field to correct, its text selected.
#pragma once

#include <optional>

#include "passwords/password_text.h"
#include "ports/notice.h"
#include "settings/reg_settings.h"

namespace veilora {

enum class PasswordField { None, Old, New, Repeat };

struct PasswordOutcome {
    bool stored = false;           // the new password is in the registry; the dialog closes
    std::optional<Notice> notice;  // shown first
    PasswordField focus = PasswordField::None;  // when the dialog stays open
};

// Set Password: the new password twice. Writes "General"/"Offset" at once when they agree.
PasswordOutcome setPasswordOk(const TypedPassword& newPassword, const TypedPassword& repeated,
                              RegSettings& settings);

// Change Password: the old one must match the stored one before anything else is looked at.
PasswordOutcome changePasswordOk(const TypedPassword& oldPassword, const TypedPassword& newPassword,
                                 const TypedPassword& repeated, RegSettings& settings);

}  // namespace veilora
