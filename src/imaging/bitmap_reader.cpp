#include "imaging/bitmap_reader.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/bitmap_file.h"
#include "imaging/file_io.h"
#include "imaging/imaging_error.h"

namespace veilora::imaging {

namespace {
bool refuse(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}
}  // namespace

bool readBitmap(std::span<const std::uint8_t> data, DibSection& image, std::string& error) {
    image.clearUp();
    const std::size_t size = data.size();
    if (size < 2 || data[0] != 'B' || data[1] != 'M') {
        return refuse(error, "not a bitmap file (it does not start with \"BM\")");
    }
    if (size < kFileHeaderSize + 4) return refuse(error, "the file ends inside its header");
    const std::uint8_t* d = data.data();
    const std::uint32_t infoSize = getLe32(d + 14);
    if (infoSize < kInfoHeaderSize) {
        return refuse(error, "old-style bitmap headers of " + std::to_string(infoSize) +
                                 " bytes are not supported");
    }
    if (infoSize > size - kFileHeaderSize) return refuse(error, "the file ends inside its header");

    const std::uint32_t offBits = getLe32(d + 10);
    const auto width = static_cast<std::int32_t>(getLe32(d + 18));
    const auto height = static_cast<std::int32_t>(getLe32(d + 22));
    const std::uint16_t planes = getLe16(d + 26);
    const std::uint16_t bitCount = getLe16(d + 28);
    const std::uint32_t compression = getLe32(d + 30);

    if (bitCount != 24) {
        return refuse(error, std::to_string(bitCount) +
                                 " bits per pixel: only 24-bit bitmaps can be read");
    }
    if (compression != 0) return refuse(error, "compressed bitmaps are not supported");
    if (planes != 1) return refuse(error, "the header gives " + std::to_string(planes) + " planes");
    if (width <= 0) return refuse(error, "the width " + std::to_string(width) + " is not positive");
    if (height == 0 || height == INT32_MIN) {
        return refuse(error, "the height " + std::to_string(height) + " is not usable");
    }
    const bool topDown = height < 0;
    const std::int64_t rows = topDown ? -std::int64_t{height} : height;
    const std::int64_t stride = DibSection::bytesPerScanLine(width);
    if (offBits < kFileHeaderSize + infoSize || offBits > size) {
        return refuse(error, "the pixel data offset " + std::to_string(offBits) +
                                 " is outside the file");
    }
    // The last row may come without its padding.
    const auto available = static_cast<std::int64_t>(size - offBits);
    if (rows - 1 > available / stride ||
        stride * (rows - 1) + std::int64_t{width} * 3 > available) {
        return refuse(error, "the file is cut short: " + std::to_string(width) + " x " +
                                 std::to_string(rows) + " pixels need more than its " +
                                 std::to_string(available) + " bytes of pixel data");
    }
    // The checks above bound the image by the file's own size.
    if (!image.create(width, static_cast<int>(rows))) {
        return refuse(error, "not enough memory for the image");
    }
    const std::uint8_t* pixels = d + offBits;
    for (std::int64_t row = 0; row < rows; ++row) {
        const std::int64_t memoryRow = topDown ? rows - 1 - row : row;
        std::memcpy(image.dibSectionBitsPtr() + memoryRow * stride, pixels + row * stride,
                    static_cast<std::size_t>(width) * 3);
    }
    return true;
}

bool readBitmapFile(const std::filesystem::path& fileName, DibSection& image,
                    std::string& error) {
    image.clearUp();
    errno = 0;
    FilePtr file = openFile(fileName, "rb");
    if (!file) return refuse(error, "cannot open: " + systemMessage(errno));
    std::error_code failed;
    const auto size = std::filesystem::file_size(fileName, failed);
    if (failed) return refuse(error, "cannot read: " + failed.message());
    if (size > 0x7FFFFFFF) return refuse(error, "the file is too large for a bitmap");
    std::vector<std::uint8_t> data;
    try {
        data.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return refuse(error, "not enough memory to read the file");
    }
    if (std::fread(data.data(), 1, data.size(), file.get()) != data.size()) {
        return refuse(error, "cannot read the whole file");
    }
    return readBitmap(data, image, error);
}

}  // namespace veilora::imaging
