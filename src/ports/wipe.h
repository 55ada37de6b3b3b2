// Overwriting a secret text before letting it go.
#pragma once

#include <string>

namespace veilora {

// Overwrites the text before letting it go; the compiler may not drop the writes.
void wipe(std::string& text) noexcept;

}  // namespace veilora
