#include "imaging/dib_section.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <new>
#include <random>

#ifdef __linux__
#include <sys/mman.h>

#include <cstdlib>
#endif

namespace veilora::imaging {

void* allocatePixels(std::size_t bytes) {
#ifdef __linux__
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    // Memory from malloc or aligned_alloc is given back with free.
    if (bytes >= kHugePage / 2) {
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        if (void* p = std::aligned_alloc(kHugePage, rounded)) {
            madvise(p, rounded, MADV_HUGEPAGE);
            return p;
        }
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(bytes ? bytes : 1)) return p;
    throw std::bad_alloc();
#else
    return ::operator new(bytes);
#endif
}

void freePixels(void* pixels) noexcept {
#ifdef __linux__
    std::free(pixels);
#else
    ::operator delete(pixels);
#endif
}

namespace {
// The size fields of a bitmap file are 32-bit: keep the whole file below 2 GiB.
constexpr std::int64_t kMaxImageBytes = 0x7FFFFFFF - 2048;
}  // namespace

bool DibSection::create(int width, int height) {
    clearUp();
    if (width < 1 || height < 1) return false;
    const std::int64_t size = bytesPerScanLine(std::int64_t{width}) * height;
    if (size > kMaxImageBytes) return false;
    try {
        bits_.assign(static_cast<std::size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    header_.width = width;
    header_.height = height;
    header_.bitCount = 24;
    header_.sizeImage = static_cast<std::uint32_t>(size);
    return true;
}

void DibSection::clearUp() {
    bits_.clear();
    bits_.shrink_to_fit();
    header_ = BitmapInfoHeader{};
}

void DibSection::loadPictureBlt(const DibSection& source, int srcLeft, int srcTop, int srcWidth,
                                int srcHeight) {
    if (empty() || source.empty()) return;
    if (&source == this) {  // overlapping rows: copy from a snapshot
        const DibSection snapshot(*this);
        loadPictureBlt(snapshot, srcLeft, srcTop, srcWidth, srcHeight);
        return;
    }
    std::int64_t w = srcWidth < 0 ? width() : srcWidth;
    std::int64_t h = srcHeight < 0 ? height() : srcHeight;
    std::int64_t dstLeft = 0, dstTop = 0;
    // Clip against the source's left and top, then against both right and bottom edges.
    if (srcLeft < 0) {
        dstLeft = -std::int64_t{srcLeft};
        w += srcLeft;
    }
    if (srcTop < 0) {
        dstTop = -std::int64_t{srcTop};
        h += srcTop;
    }
    const std::int64_t sx = std::max(srcLeft, 0), sy = std::max(srcTop, 0);
    w = std::min({w, std::int64_t{width()} - dstLeft, std::int64_t{source.width()} - sx});
    h = std::min({h, std::int64_t{height()} - dstTop, std::int64_t{source.height()} - sy});
    if (w <= 0 || h <= 0) return;
    for (std::int64_t row = 0; row < h; ++row) {
        const auto* from = source.bits_.data() +
                           source.pixelOffset(static_cast<int>(sx), static_cast<int>(sy + row));
        auto* to =
            bits_.data() + pixelOffset(static_cast<int>(dstLeft), static_cast<int>(dstTop + row));
        std::memcpy(to, from, static_cast<std::size_t>(w) * 3);
    }
}

std::optional<DibSection> DibSection::resample(int newHeight, int newWidth) const {
    DibSection out;
    if (empty() || !out.create(newWidth, newHeight)) return std::nullopt;
    if (newWidth == width() && newHeight == height()) {
        out.loadPictureBlt(*this);
        return out;
    }
    // Bilinear over pixel centres, in 8-bit fixed point.
    const double scaleX = static_cast<double>(width()) / newWidth;
    const double scaleY = static_cast<double>(height()) / newHeight;
    auto sourcePos = [](int i, double scale, int limit, int& p0, int& frac) {
        double s = std::clamp((i + 0.5) * scale - 0.5, 0.0, static_cast<double>(limit - 1));
        p0 = static_cast<int>(s);
        frac = static_cast<int>(std::lround((s - p0) * 256));
    };
    for (int y = 0; y < newHeight; ++y) {
        int y0, fy;
        sourcePos(y, scaleY, height(), y0, fy);
        const int y1 = std::min(y0 + 1, height() - 1);
        for (int x = 0; x < newWidth; ++x) {
            int x0, fx;
            sourcePos(x, scaleX, width(), x0, fx);
            const int x1 = std::min(x0 + 1, width() - 1);
            const std::uint8_t* p00 = bits_.data() + pixelOffset(x0, y0);
            const std::uint8_t* p10 = bits_.data() + pixelOffset(x1, y0);
            const std::uint8_t* p01 = bits_.data() + pixelOffset(x0, y1);
            const std::uint8_t* p11 = bits_.data() + pixelOffset(x1, y1);
            std::uint8_t* dst = out.bits_.data() + out.pixelOffset(x, y);
            for (int c = 0; c < 3; ++c) {
                int top = p00[c] * (256 - fx) + p10[c] * fx;
                int bottom = p01[c] * (256 - fx) + p11[c] * fx;
                dst[c] = static_cast<std::uint8_t>((top * (256 - fy) + bottom * fy + 32768) >> 16);
            }
        }
    }
    return out;
}

void DibSection::randomiseBits(bool gray) {
    std::mt19937 random(
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    // nearbyint rounds ties to even in the default rounding mode.
    auto next = [&random] {
        return static_cast<std::uint8_t>(
            std::nearbyint(std::generate_canonical<double, 32>(random) * 255));
    };
    for (int y = 0; y < height(); ++y) {
        std::uint8_t* p = bits_.data() + pixelOffset(0, y);
        for (int x = 0; x < width(); ++x, p += 3) {
            if (gray) {
                p[0] = p[1] = p[2] = next();
            } else {
                for (int c = 0; c < 3; ++c) p[c] = next();
            }
        }
    }
}

bool DibSection::savePicture(const std::filesystem::path& fileName) const {
    if (empty()) return false;
    const auto info = header_.bytes();
    return writeBitmapFile(fileName, info, bits_);
}

}  // namespace veilora::imaging
