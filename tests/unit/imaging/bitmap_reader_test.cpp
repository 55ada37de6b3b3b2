#include "imaging/bitmap_reader.h"

#include <gtest/gtest.h>

#include "imaging_test_support.h"

namespace veilora::imaging {
namespace {
using namespace testing;

std::vector<std::uint8_t> savedBytes(const DibSection& d) {
    ScratchDir dir;
    EXPECT_TRUE(d.savePicture(dir / "s.bmp"));
    return readBytes(dir / "s.bmp");
}

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool sameImage(const DibSection& a, const DibSection& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::equal(a.dibSectionBitsPtr(), a.dibSectionBitsPtr() + a.sizeImage(),
                      b.dibSectionBitsPtr());
}

TEST(ImagingBitmapReader, ReadsBottomUpTopDownAndLongerHeaders) {
    const DibSection original = photoLike(7, 5);
    auto bytes = savedBytes(original);
    DibSection read;
    std::string error;
    ASSERT_TRUE(readBitmap(bytes, read, error)) << error;
    EXPECT_TRUE(sameImage(original, read));

    // The same rows stored top row first.
    auto topDown = bytes;
    put32(topDown, 22, static_cast<std::uint32_t>(-5));
    for (int row = 0; row < 5; ++row) {
        std::copy_n(bytes.begin() + 54 + 24 * (4 - row), 24, topDown.begin() + 54 + 24 * row);
    }
    ASSERT_TRUE(readBitmap(topDown, read, error)) << error;
    EXPECT_TRUE(sameImage(original, read));

    if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    ScratchDir dir;
    ASSERT_TRUE(original.savePicture(dir / "a.bmp"));
    runCommand("/usr/bin/convert '" + (dir / "a.bmp").string() + "' BMP:'" +
               (dir / "v5.bmp").string() + "'");
    ASSERT_GT(le(readBytes(dir / "v5.bmp"), 14), 40u);
    ASSERT_TRUE(readBitmapFile(dir / "v5.bmp", read, error)) << error;
    EXPECT_TRUE(sameImage(original, read));
}

TEST(ImagingBitmapReader, RefusesWhatItCannotReadWithAReason) {
    const auto good = savedBytes(photoLike(7, 5));
    auto refusal = [](std::vector<std::uint8_t> bytes) {
        DibSection read;
        std::string error;
        EXPECT_FALSE(readBitmap(bytes, read, error));
        EXPECT_TRUE(read.empty());
        return error;
    };
    auto changed = [&](std::size_t at, std::uint32_t v) {
        auto b = good;
        put32(b, at, v);
        return b;
    };
    EXPECT_NE(refusal({}).find("not a bitmap"), std::string::npos);
    EXPECT_NE(refusal({'B', 'M', 0}).find("header"), std::string::npos);
    EXPECT_NE(refusal(changed(28, 8)).find("8 bits per pixel"), std::string::npos);
    EXPECT_NE(refusal(changed(30, 1)).find("compressed"), std::string::npos);
    EXPECT_NE(refusal(changed(14, 12)).find("12 bytes"), std::string::npos);
    EXPECT_NE(refusal(changed(14, 0xFFFFFFF0)).find("header"), std::string::npos);
    EXPECT_NE(refusal(changed(18, 0)).find("width"), std::string::npos);
    EXPECT_NE(refusal(changed(22, 0x80000000)).find("height"), std::string::npos);
    EXPECT_NE(refusal(changed(10, 0xFFFFFFFF)).find("offset"), std::string::npos);
    EXPECT_NE(refusal(changed(22, 0x7FFFFFFF)).find("cut short"), std::string::npos);
    EXPECT_NE(refusal(changed(18, 0x7FFFFFFF)).find("cut short"), std::string::npos);
    EXPECT_NE(refusal({good.begin(), good.end() - 30}).find("cut short"), std::string::npos);

    DibSection read;
    std::string error;
    EXPECT_TRUE(readBitmap({good.begin(), good.end() - 3}, read, error)) << "last padding may go";
    EXPECT_FALSE(readBitmapFile("/nonexistent/a.bmp", read, error));
    EXPECT_NE(error.find("No such file"), std::string::npos);
}

}  // namespace
}  // namespace veilora::imaging
