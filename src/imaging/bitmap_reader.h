#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "imaging/dib_section.h"

namespace veilora::imaging {

// Reads an uncompressed 24-bit bitmap file (bottom-up or top-down rows, any info header of
// at least 40 bytes). Everything else, and every damaged file, is refused with a message
// in error; nothing in the data is trusted before it is checked against the data's size.
bool readBitmap(std::span<const std::uint8_t> data, DibSection& image, std::string& error);
bool readBitmapFile(const std::filesystem::path& fileName, DibSection& image, std::string& error);

}  // namespace veilora::imaging
