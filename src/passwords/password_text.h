// What a typed password may hold, shared by every place a password is entered: the Set and
// Change Password dialogs and the prompt. The stored form works on bytes of the ANSI code page.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "ports/notice.h"
#include "ports/wipe.h"

namespace veilora {

// In bytes of the ANSI code page. Every entry field is limited to as many characters, and a
// character is at least one byte, so whatever can be set can also be typed at the prompt.
inline constexpr std::size_t kMaxPasswordLength = 255;

// A typed password converted to the ANSI code page, wiped when it goes away.
class TypedPassword {
  public:
    TypedPassword() = default;
    // nullopt: the code page cannot hold every typed character.
    explicit TypedPassword(std::optional<std::string>&& ansi);  // wipes `ansi`
    // Made in place, so that no other copy of the text ever exists: `fill` writes `size`
    // bytes into the buffer it is given and says whether they are the typed text.
    template <typename Fill>
    static TypedPassword filledBy(std::size_t size, Fill&& fill) {
        TypedPassword typed;
        typed.ansi_.resize(size);
        if (!fill(typed.ansi_.data())) {
            wipe(typed.ansi_);
            typed.representable_ = false;
        }
        return typed;  // a move wipes its source
    }
    TypedPassword(const TypedPassword&) = delete;
    TypedPassword& operator=(const TypedPassword&) = delete;
    TypedPassword(TypedPassword&& other);
    TypedPassword& operator=(TypedPassword&& other);
    ~TypedPassword();

    bool representable() const { return representable_; }
    // Only meaningful when representable.
    const std::string& ansi() const { return ansi_; }
    bool empty() const { return representable_ && ansi_.empty(); }

    // Equal texts; a text the code page cannot hold equals no stored password.
    bool matches(std::string_view stored) const { return representable_ && ansi_ == stored; }
    bool sameAs(const TypedPassword& other) const {
        return representable_ == other.representable_ && ansi_ == other.ansi_;
    }

  private:
    std::string ansi_;
    bool representable_ = true;
};

// Why a new password cannot be stored, as the message that says so; nullopt when it can.
// Codes 0 and 255 are refused because the stored form cannot tell them apart.
std::optional<Notice> newPasswordProblem(const TypedPassword& password);

}  // namespace veilora
