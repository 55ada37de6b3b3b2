#pragma once

// Helpers for the imaging tests: an independent reading of bitmap files (its own byte
// parsing, not the library's), ImageMagick as a second opinion, and scratch files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "imaging/dib_section.h"

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

// A folder of its own per test, removed afterwards.
class ScratchDir {
  public:
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("veilora-imaging-" + std::string(info->test_suite_name()) + "-" + info->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

inline bool haveImageMagick() {
    return std::filesystem::exists("/usr/bin/convert");
}

inline std::string runCommand(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        pclose(p);
    }
    return out;
}

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
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) setRgb(d, x, y, rgb);
    return d;
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
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint32_t r = channel(255 * x / std::max(1, w - 1));
            std::uint32_t g = channel(255 * y / std::max(1, h - 1));
            std::uint32_t b = channel(128 + 100 * ((x / 7 + y / 5) % 3 - 1));
            setRgb(d, x, y, r << 16 | g << 8 | b);
        }
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
    for (int y = 0; y < d.height(); ++y)
        for (int x = 0; x < d.width(); ++x) n += rgbAt(d, x, y) == rgb;
    return n;
}

// ImageMagick, as a second reader, sees the image's pixels in the file (red, green, blue
// from the top left).
inline void expectImageMagickSees(const std::filesystem::path& file, const DibSection& d) {
    if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    std::string expected;
    for (int y = 0; y < d.height(); ++y) {
        for (int x = 0; x < d.width(); ++x) {
            const std::uint8_t* p = d.dibSectionBitsPtr() + d.pixelOffset(x, y);
            expected += {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0])};
        }
    }
    EXPECT_EQ(runCommand("/usr/bin/convert '" + file.string() + "' -depth 8 rgb:- 2>/dev/null"),
              expected);
}

}  // namespace veilora::imaging::testing
