// A message for the person: what a rule decided to say, shown by whichever shell runs the rule.
#pragma once

#include <string_view>

#include "ports/ports.h"

namespace veilora {

struct Notice {
    std::string_view text;  // ANSI code page
    std::string_view title;
    MessageIcon icon = MessageIcon::None;

    friend bool operator==(const Notice&, const Notice&) = default;
};

}  // namespace veilora
