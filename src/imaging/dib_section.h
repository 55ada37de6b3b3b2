#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "imaging/bitmap_file.h"

namespace veilora::imaging {

void* allocatePixels(std::size_t bytes);
void freePixels(void* pixels) noexcept;

// Pixel memory. Large blocks ask the system for huge pages where it has them: a fresh
// 1920x1080 picture otherwise costs some 1500 page faults, more than the work on it.
template <typename T>
struct PixelAllocator {
    using value_type = T;
    PixelAllocator() = default;
    template <typename U>
    PixelAllocator(const PixelAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(allocatePixels(n * sizeof(T))); }
    void deallocate(T* p, std::size_t) noexcept { freePixels(p); }
    template <typename U>
    bool operator==(const PixelAllocator<U>&) const noexcept {
        return true;
    }
};
using PixelBuffer = std::vector<std::uint8_t, PixelAllocator<std::uint8_t>>;

// A 24-bit bottom-up image in memory of its own: three bytes per pixel (blue, green, red),
// rows padded to whole 32-bit words, the first row in memory being the bottom row.
// The Win32 partners (dib_section_win32.h) copy it from and to device contexts.
class DibSection {
  public:
    // Width x 3 rounded up to a multiple of 4.
    static constexpr std::int64_t bytesPerScanLine(std::int64_t width) {
        return (width * 3 + 3) & ~std::int64_t{3};
    }

    // Empties the image, then makes a black one of the size. False (and empty) when the
    // size is not positive, would not fit a bitmap file, or the memory is not there.
    bool create(int width, int height);
    void clearUp();

    bool empty() const { return bits_.empty(); }
    int width() const { return header_.width; }
    int height() const { return header_.height; }
    int bytesPerScanLine() const { return static_cast<int>(bytesPerScanLine(header_.width)); }
    std::size_t sizeImage() const { return bits_.size(); }
    const BitmapInfoHeader& header() const { return header_; }

    std::uint8_t* dibSectionBitsPtr() { return bits_.data(); }
    const std::uint8_t* dibSectionBitsPtr() const { return bits_.data(); }

    // Byte offset of pixel (x, y) counted from the top left.
    std::size_t pixelOffset(int x, int y) const {
        return static_cast<std::size_t>(height() - 1 - y) *
                   static_cast<std::size_t>(bytesPerScanLine()) +
               static_cast<std::size_t>(x) * 3;
    }

    // Copies a rectangle of source, from (srcLeft, srcTop), into this image at its top
    // left; a negative width or height means this image's whole width or height. Parts
    // outside either image are left out.
    void loadPictureBlt(const DibSection& source, int srcLeft = 0, int srcTop = 0,
                        int srcWidth = -1, int srcHeight = -1);

    // A copy at another size (bilinear); nothing when that size cannot be created.
    std::optional<DibSection> resample(int newHeight, int newWidth) const;

    // Random channel values; with gray one value for all three channels of a pixel.
    void randomiseBits(bool gray);

    // Writes the image as a 24-bit bitmap file; false when a write fell short or the image
    // is empty. Throws ImagingError 17 when the file cannot be created.
    bool savePicture(const std::filesystem::path& fileName) const;

  private:
    BitmapInfoHeader header_;
    PixelBuffer bits_;
};

}  // namespace veilora::imaging
