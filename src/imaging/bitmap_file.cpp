#include "imaging/bitmap_file.h"

#include <cerrno>

#include "imaging/file_io.h"
#include "imaging/imaging_error.h"

namespace veilora::imaging {

void putLe16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void putLe32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint16_t getLe16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint32_t getLe32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::array<std::uint8_t, kInfoHeaderSize> BitmapInfoHeader::bytes() const {
    std::array<std::uint8_t, kInfoHeaderSize> out{};
    putLe32(&out[0], kInfoHeaderSize);
    putLe32(&out[4], static_cast<std::uint32_t>(width));
    putLe32(&out[8], static_cast<std::uint32_t>(height));
    putLe16(&out[12], 1);  // planes
    putLe16(&out[14], bitCount);
    // compression 0, then size, then resolution, colours used and important all 0
    putLe32(&out[20], sizeImage);
    return out;
}

std::array<std::uint8_t, kFileHeaderSize> bitmapFileHeader(std::size_t infoBlockBytes,
                                                           std::size_t pixelBytes) {
    std::array<std::uint8_t, kFileHeaderSize> header{};
    const auto offBits = static_cast<std::uint32_t>(kFileHeaderSize + infoBlockBytes);
    header[0] = 'B';
    header[1] = 'M';
    putLe32(&header[2], static_cast<std::uint32_t>(pixelBytes) + offBits);
    putLe32(&header[10], offBits);
    return header;
}

namespace {
// A write call that returned nothing or wrote another count than asked.
bool writeFailed(std::size_t written, std::size_t toWrite) {
    return written != toWrite;
}

bool writeBlock(std::FILE* f, std::span<const std::uint8_t> block) {
    if (block.empty()) return true;
    return !writeFailed(std::fwrite(block.data(), 1, block.size(), f), block.size());
}
}  // namespace

bool writeBitmapFile(const std::filesystem::path& fileName, std::span<const std::uint8_t> infoBlock,
                     std::span<const std::uint8_t> pixels) {
    errno = 0;
    FilePtr file = openFile(fileName, "wb");
    if (!file) {
        const int error = errno;
        const unsigned long osError = lastOsError();
        throw ImagingError(kErrCannotCreateFile, executableName() + ".cDIBSection256",
                           error ? fileErrorText(error, osError) : "The file cannot be created.");
    }
    // Unbuffered: the pixel block goes out straight from the image's memory.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);

    const auto header = bitmapFileHeader(infoBlock.size(), pixels.size());
    bool ok = writeBlock(file.get(), header) && writeBlock(file.get(), infoBlock) &&
              writeBlock(file.get(), pixels);
    return std::fclose(file.release()) == 0 && ok;
}

}  // namespace veilora::imaging
