#pragma once

// Helpers for the imaging tests: our own reading of file bytes (not the library's),
// pictures and palettes, and scratch files. Windows' own reader checks our files in the
// Win32 integration tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "imaging/bitmap_reader.h"
#include "imaging/dib_section.h"
#include "imaging/imaging_error.h"
#include "imaging/palette.h"

namespace veilora::imaging::testing {

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::uint32_t le(const std::vector<std::uint8_t>& b, std::size_t at, int size = 4) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | b.at(at + static_cast<std::size_t>(i));
    return v;
}

// The file and info headers this program writes in front of a bitmap's colour table: "BM",
// the sizes, one plane, no compression.
inline std::vector<std::uint8_t> bitmapHeaders(int width, int height, int bits,
                                               std::uint32_t tableBytes,
                                               std::uint32_t imageBytes) {
    std::vector<std::uint8_t> h(54, 0);
    auto put = [&](std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i) h[at + i] = static_cast<std::uint8_t>(v >> 8 * i);
    };
    const std::uint32_t offBits = 54 + tableBytes;
    put(0, 'B' | 'M' << 8);
    put(2, offBits + imageBytes);
    put(10, offBits);
    put(14, 40);
    put(18, static_cast<std::uint32_t>(width));
    put(22, static_cast<std::uint32_t>(height));
    put(26, 1 | static_cast<std::uint32_t>(bits) << 16);
    put(34, imageBytes);
    return h;
}

// How the imaging error a call throws reads: "<number> <source>: <description>", and its
// text after " / " when that is not the description; "none" when nothing is thrown.
inline std::string imagingErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ImagingError& e) {
        std::string said = std::to_string(e.number()) + " " + e.source() + ": " + e.description();
        if (e.what() != e.description()) said += " / " + std::string(e.what());
        return said;
    }
    return "none";
}

// A folder of its own per test and process (test programs may run side by side), removed
// afterwards.
class ScratchDir {
  public:
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("veilora-imaging-" + std::string(info->test_suite_name()) + "-" + info->name() +
                 "-" + std::to_string(getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

inline std::uint32_t rgbAt(const DibSection& d, int x, int y) {
    const std::uint8_t* p = d.dibSectionBitsPtr() + d.pixelOffset(x, y);
    return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

inline void setRgb(DibSection& d, int x, int y, std::uint32_t rgb) {
    std::uint8_t* p = d.dibSectionBitsPtr() + d.pixelOffset(x, y);
    p[0] = static_cast<std::uint8_t>(rgb);
    p[1] = static_cast<std::uint8_t>(rgb >> 8);
    p[2] = static_cast<std::uint8_t>(rgb >> 16);
}

inline DibSection filled(int w, int h, std::uint32_t rgb) {
    DibSection d;
    EXPECT_TRUE(d.create(w, h));
    for (int i = 0; i < w * h; ++i) setRgb(d, i % w, i / w, rgb);
    return d;
}

// One row of pixels.
inline DibSection row(std::initializer_list<std::uint32_t> colours) {
    DibSection d = filled(static_cast<int>(colours.size()), 1, 0);
    int x = 0;
    for (std::uint32_t c : colours) setRgb(d, x++, 0, c);
    return d;
}

// A palette entry of the colour 0xRRGGBB.
inline PaletteEntry rgb(std::uint32_t c) {
    return {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
            static_cast<std::uint8_t>(c), 0};
}

inline Palette paletteOf(std::initializer_list<std::uint32_t> colours) {
    Palette p;
    for (std::uint32_t c : colours) p.add(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF);
    return p;
}

// Smooth gradients with noise: many colours, neighbours alike, like a photograph.
inline DibSection photoLike(int w, int h, unsigned seed = 1) {
    DibSection d;
    EXPECT_TRUE(d.create(w, h));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-12, 12);
    auto channel = [&](int v) {
        return static_cast<std::uint32_t>(std::clamp(v + noise(random), 0, 255));
    };
    for (int i = 0; i < w * h; ++i) {
        const int x = i % w, y = i / w;
        const std::uint32_t r = channel(255 * x / std::max(1, w - 1));
        const std::uint32_t g = channel(255 * y / std::max(1, h - 1));
        setRgb(d, x, y, r << 16 | g << 8 | channel(128 + 100 * ((x / 7 + y / 5) % 3 - 1)));
    }
    return d;
}

inline bool sameBits(const DibSection& a, const DibSection& b) {
    return a.sizeImage() == b.sizeImage() &&
           std::equal(a.dibSectionBitsPtr(), a.dibSectionBitsPtr() + a.sizeImage(),
                      b.dibSectionBitsPtr());
}

inline int countOf(const DibSection& d, std::uint32_t rgb) {
    int n = 0;
    for (int i = 0; i < d.width() * d.height(); ++i)
        n += rgbAt(d, i % d.width(), i / d.width()) == rgb;
    return n;
}

// For the reader's tests: a 7 x 5 picture as a 24-bit bitmap file, the same with a 32-bit
// number changed, and whether bytes read back as the picture.
struct ImagingBitmapReader : ::testing::Test {
    const DibSection original = photoLike(7, 5);
    std::vector<std::uint8_t> good = bitmapHeaders(7, 5, 24, 0, 24 * 5);
    DibSection read;
    std::string error;

    void SetUp() override {
        good.insert(good.end(), original.dibSectionBitsPtr(), original.dibSectionBitsPtr() + 120);
    }
    std::vector<std::uint8_t> changed(std::size_t at, std::uint32_t v) const {
        auto b = good;
        for (int i = 0; i < 4; ++i)
            b.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
        return b;
    }
    bool readsBack(const std::vector<std::uint8_t>& bytes) {
        return readBitmap(bytes, read, error) && read.width() == 7 && sameBits(read, original);
    }
};

}  // namespace veilora::imaging::testing
