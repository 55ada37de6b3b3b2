// The password dialogs' OK over an in-memory registry, with what OK did read as one line.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "passwords/password_codec.h"
#include "passwords/password_dialogs.h"
#include "support/memory_registry.h"

namespace veilora::test {

inline const std::string kGeneralKey = "Software\\Fernwick\\Veilora\\General";

// A typed password, and one the code page cannot hold.
inline TypedPassword typed(std::string text) {
    return TypedPassword(std::optional<std::string>(text));
}
inline TypedPassword unrepresentable() {
    return TypedPassword(std::optional<std::string>());
}

// What OK did: "stored" or the field it focuses, then the message's icon, title and text.
// Built by appending: `"..." + std::string&&` inlined at -O3 draws a false -Wrestrict from
// GCC 12's insert-at-front.
inline std::string outcome(const PasswordOutcome& o) {
    const char* fields[] = {"none", "old", "new", "repeat"};
    const char* icons[] = {"no-icon", "information", "exclamation", "critical"};
    std::string line = o.stored ? "stored" : fields[static_cast<int>(o.focus)];
    if (o.notice) {
        line.append(" ").append(icons[static_cast<int>(o.notice->icon)]).append(" ");
        line.append(o.notice->title).append(": ").append(o.notice->text);
    }
    return line;
}

struct PasswordDialogsTest : ::testing::Test {
    std::string set(TypedPassword first, TypedPassword second) {
        return outcome(setPasswordOk(first, second, settings));
    }
    std::string change(TypedPassword old, TypedPassword first, TypedPassword second) {
        return outcome(changePasswordOk(old, first, second, settings));
    }
    // "Offset" as it is kept, and as it reads back ("<none>" when missing).
    void store(const std::string& offset) { registry.putString(kGeneralKey, "Offset", offset); }
    std::string stored() const {
        const auto value = registry.get(RegistryRoot::CurrentUser, kGeneralKey, "Offset");
        return value ? decodePassword(value->data.c_str()) : std::string("<none>");
    }
    MemoryRegistry registry;
    RegSettings settings{registry};
};

}  // namespace veilora::test
