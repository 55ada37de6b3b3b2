#include "passwords/password_text.h"

#include <algorithm>

namespace veilora {

// Texts are copied and the source wiped rather than moved: a moved-from short string keeps
// its characters in a buffer that wipe() can no longer reach.
TypedPassword::TypedPassword(std::optional<std::string>&& ansi) : representable_(ansi.has_value()) {
    if (ansi) {
        ansi_ = *ansi;
        wipe(*ansi);
    }
}

TypedPassword::TypedPassword(TypedPassword&& other)
    : ansi_(other.ansi_), representable_(other.representable_) {
    wipe(other.ansi_);
}

TypedPassword& TypedPassword::operator=(TypedPassword&& other) {
    if (this != &other) {
        wipe(ansi_);
        ansi_ = other.ansi_;
        representable_ = other.representable_;
        wipe(other.ansi_);
    }
    return *this;
}

TypedPassword::~TypedPassword() {
    wipe(ansi_);
}

std::optional<Notice> newPasswordProblem(const TypedPassword& password) {
    constexpr Notice kCannotStore{
        "The new password contains characters that cannot be stored. Please use other "
        "characters.",
        "Error", MessageIcon::Exclamation};
    constexpr Notice kTooLong{"The new password is too long. Please use at most 255 characters.",
                              "Error", MessageIcon::Exclamation};
    if (!password.representable()) return kCannotStore;
    const std::string& text = password.ansi();
    if (text.size() > kMaxPasswordLength) return kTooLong;
    const bool unstorable = std::any_of(text.begin(), text.end(), [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return code == 0 || code == 255;
    });
    if (unstorable) return kCannotStore;
    return std::nullopt;
}

}  // namespace veilora
