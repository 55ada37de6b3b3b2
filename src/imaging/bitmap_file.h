#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace veilora::imaging {

inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::size_t kInfoHeaderSize = 40;

// The 40-byte info header of an uncompressed bottom-up bitmap.
struct BitmapInfoHeader {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 24;
    std::uint32_t sizeImage = 0;

    std::array<std::uint8_t, kInfoHeaderSize> bytes() const;
};

// Bytes in one row of pixels: width x bits rounded up to whole 32-bit words.
constexpr std::int64_t rowBytes(std::int64_t width, int bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

void putLe16(std::uint8_t* at, std::uint16_t value);
void putLe32(std::uint8_t* at, std::uint32_t value);
std::uint16_t getLe16(const std::uint8_t* at);
std::uint32_t getLe32(const std::uint8_t* at);

// The 14-byte file header of a file with this info block and these pixel rows.
std::array<std::uint8_t, kFileHeaderSize> bitmapFileHeader(std::size_t infoBlockBytes,
                                                           std::size_t pixelBytes);

// Writes the file header, the info block (header and colour table) and the pixel rows as
// three blocks; the first short write stops the writing and leaves the partial file.
// Returns whether the whole file was written. Throws ImagingError 17 (source
// "<executable>.cDIBSection256") when the file cannot be created.
bool writeBitmapFile(const std::filesystem::path& fileName, std::span<const std::uint8_t> infoBlock,
                     std::span<const std::uint8_t> pixels);

}  // namespace veilora::imaging
