#include "imaging/bitmap_reader.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "imaging/bitmap_file.h"
#include "imaging/file_io.h"
#include "imaging/imaging_error.h"

namespace veilora::imaging {

namespace {
bool refuse(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

struct Layout {
    std::int32_t width = 0;
    std::int64_t rows = 0;
    bool topDown = false;
    std::uint32_t offBits = 0;
};

// Checks the headers (the first bytes of a file of fileSize bytes) against each other and
// against the size, so that the pixels they promise are all there.
bool checkHeaders(std::span<const std::uint8_t> head, std::uint64_t fileSize, Layout& layout,
                  std::string& error) {
    if (head.size() < 2 || head[0] != 'B' || head[1] != 'M') {
        return refuse(error, "not a bitmap file (it does not start with \"BM\")");
    }
    if (head.size() < kFileHeaderSize + 4) return refuse(error, "the file ends inside its header");
    const std::uint8_t* d = head.data();
    const std::uint32_t infoSize = getLe32(d + 14);
    if (infoSize < kInfoHeaderSize) {
        return refuse(error, "old-style bitmap headers of " + std::to_string(infoSize) +
                                 " bytes are not supported");
    }
    if (infoSize > fileSize - kFileHeaderSize || head.size() < kFileHeaderSize + kInfoHeaderSize) {
        return refuse(error, "the file ends inside its header");
    }
    layout.offBits = getLe32(d + 10);
    layout.width = static_cast<std::int32_t>(getLe32(d + 18));
    const auto height = static_cast<std::int32_t>(getLe32(d + 22));
    const std::uint16_t planes = getLe16(d + 26);
    const std::uint16_t bitCount = getLe16(d + 28);
    const std::uint32_t compression = getLe32(d + 30);

    if (bitCount != 24) {
        return refuse(
            error, std::to_string(bitCount) + " bits per pixel: only 24-bit bitmaps can be read");
    }
    if (compression != 0) return refuse(error, "compressed bitmaps are not supported");
    if (planes != 1) return refuse(error, "the header gives " + std::to_string(planes) + " planes");
    if (layout.width <= 0) {
        return refuse(error, "the width " + std::to_string(layout.width) + " is not positive");
    }
    if (height == 0 || height == INT32_MIN) {
        return refuse(error, "the height " + std::to_string(height) + " is not usable");
    }
    layout.topDown = height < 0;
    layout.rows = layout.topDown ? -std::int64_t{height} : height;
    if (layout.offBits < kFileHeaderSize + infoSize || layout.offBits > fileSize) {
        return refuse(error, "the pixel data offset " + std::to_string(layout.offBits) +
                                 " is outside the file");
    }
    // The last row may come without its padding.
    const std::int64_t stride = DibSection::bytesPerScanLine(layout.width);
    const auto available = static_cast<std::int64_t>(fileSize - layout.offBits);
    if (layout.rows - 1 > available / stride ||
        stride * (layout.rows - 1) + std::int64_t{layout.width} * 3 > available) {
        return refuse(error, "the file is cut short: " + std::to_string(layout.width) + " x " +
                                 std::to_string(layout.rows) + " pixels need more than its " +
                                 std::to_string(available) + " bytes of pixel data");
    }
    return true;
}

// Rows in file order, read by the caller's function; bottom-up files go in one piece.
template <typename Read>
bool readRows(const Layout& layout, DibSection& image, std::string& error, Read&& read) {
    // The checks above bound the image by the file's own size.
    if (!image.create(layout.width, static_cast<int>(layout.rows))) {
        return refuse(error, "not enough memory for the image");
    }
    const auto stride = static_cast<std::size_t>(image.bytesPerScanLine());
    const auto rowBytes = static_cast<std::size_t>(layout.width) * 3;
    std::uint8_t* bits = image.dibSectionBitsPtr();
    bool ok = true;
    if (!layout.topDown) {
        ok = read(bits, stride * static_cast<std::size_t>(layout.rows - 1) + rowBytes);
    } else {
        for (std::int64_t row = layout.rows - 1; ok && row >= 0; --row) {
            ok = read(bits + static_cast<std::size_t>(row) * stride, rowBytes);
            if (ok && row > 0) ok = read(nullptr, stride - rowBytes);
        }
    }
    if (!ok) {
        image.clearUp();
        return refuse(error, "cannot read the whole file");
    }
    // Copied padding is not ours to keep.
    for (std::int64_t row = 0; row < layout.rows; ++row) {
        std::memset(bits + static_cast<std::size_t>(row) * stride + rowBytes, 0, stride - rowBytes);
    }
    return true;
}
}  // namespace

bool readBitmap(std::span<const std::uint8_t> data, DibSection& image, std::string& error) {
    image.clearUp();
    Layout layout;
    if (!checkHeaders(data, data.size(), layout, error)) return false;
    std::size_t at = layout.offBits;
    return readRows(layout, image, error, [&](std::uint8_t* to, std::size_t n) {
        if (to) std::memcpy(to, data.data() + at, n);
        at += n;
        return true;
    });
}

bool readBitmapFile(const std::filesystem::path& fileName, DibSection& image, std::string& error) {
    image.clearUp();
    errno = 0;
    FilePtr file = openFile(fileName, "rb");
    if (!file) return refuse(error, "cannot open: " + systemMessage(errno));
    std::error_code failed;
    const auto size = std::filesystem::file_size(fileName, failed);
    if (failed) return refuse(error, "cannot read: " + failed.message());
    std::uint8_t head[kFileHeaderSize + kInfoHeaderSize];
    const std::size_t got = std::fread(head, 1, sizeof head, file.get());
    Layout layout;
    if (!checkHeaders({head, got}, size, layout, error)) return false;
    if (!seekFile(file.get(), layout.offBits)) return refuse(error, "cannot read the whole file");
    return readRows(layout, image, error, [&](std::uint8_t* to, std::size_t n) {
        if (!to) return std::fseek(file.get(), static_cast<long>(n), SEEK_CUR) == 0;  // padding
        return std::fread(to, 1, n, file.get()) == n;
    });
}

}  // namespace veilora::imaging
