#include "ports/wipe.h"

namespace veilora {

void wipe(std::string& text) noexcept {
    // Through a volatile pointer, so the stores survive although the text dies right after.
    volatile char* bytes = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) bytes[i] = 0;
    text.clear();
}

}  // namespace veilora
