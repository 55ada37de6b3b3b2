// Plaintext passwords do not outlive their use: the bytes are overwritten before the memory
// goes back to the allocator, where a later dump or a reused buffer could show them.
#pragma once

#include <string>

namespace veilora {

inline void wipe(std::string& text) {
    volatile char* bytes = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) bytes[i] = 0;
    text.clear();
}

}  // namespace veilora
