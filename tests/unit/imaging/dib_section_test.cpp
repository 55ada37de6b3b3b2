#include "imaging/dib_section.h"

#include <gtest/gtest.h>

#include "imaging/imaging_error.h"
#include "imaging_test_support.h"

namespace veilora::imaging {
namespace {
using namespace testing;

TEST(ImagingDibSection, RowsArePaddedToWholeWords) {
    EXPECT_EQ(DibSection::bytesPerScanLine(1), 4);
    EXPECT_EQ(DibSection::bytesPerScanLine(4), 12);
    EXPECT_EQ(DibSection::bytesPerScanLine(5), 16);
    DibSection d;
    ASSERT_TRUE(d.create(5, 3));
    EXPECT_EQ(d.sizeImage(), 48u);
    EXPECT_EQ(d.header().sizeImage, 48u);
}

TEST(ImagingDibSection, TopLeftPixelLivesInTheLastRowOfMemory) {
    DibSection d;
    ASSERT_TRUE(d.create(5, 3));
    EXPECT_EQ(d.pixelOffset(0, 0), 32u);
    EXPECT_EQ(d.pixelOffset(4, 2), 12u);
}

TEST(ImagingDibSection, UnusableSizesLeaveItEmpty) {
    DibSection d;
    EXPECT_FALSE(d.create(0, 5));
    EXPECT_FALSE(d.create(5, -1));
    EXPECT_FALSE(d.create(40000, 40000));  // beyond what a bitmap file can hold
    EXPECT_TRUE(d.empty());
    d.clearUp();
    EXPECT_TRUE(d.empty());
    EXPECT_EQ(d.width(), 0);
}

TEST(ImagingDibSection, LoadPictureBltCopiesTheWholeImageOrAClippedPart) {
    DibSection source = filled(4, 4, 0x112233);
    setRgb(source, 3, 3, 0xABCDEF);
    DibSection whole = filled(4, 4, 0);
    whole.loadPictureBlt(source, 0, 0, -1, -1);
    EXPECT_EQ(rgbAt(whole, 3, 3), 0xABCDEFu);
    EXPECT_EQ(rgbAt(whole, 0, 0), 0x112233u);

    DibSection none = filled(4, 4, 0);
    none.loadPictureBlt(source, 0, 0, 0, 0);
    EXPECT_EQ(rgbAt(none, 0, 0), 0u);

    DibSection part = filled(4, 4, 0);
    part.loadPictureBlt(source, 3, 3, -1, -1);  // only one source pixel lies in range
    EXPECT_EQ(rgbAt(part, 0, 0), 0xABCDEFu);
    EXPECT_EQ(rgbAt(part, 1, 0), 0u);
    EXPECT_EQ(rgbAt(part, 0, 1), 0u);
}

TEST(ImagingDibSection, ResampleKeepsFlatColourAndCopiesAtTheSameSize) {
    DibSection flat = filled(3, 2, 0x406080);
    auto bigger = flat.resample(5, 7);
    ASSERT_TRUE(bigger);
    EXPECT_EQ(bigger->width(), 7);
    EXPECT_EQ(bigger->height(), 5);
    EXPECT_EQ(rgbAt(*bigger, 6, 4), 0x406080u);

    DibSection photo = photoLike(9, 6);
    auto same = photo.resample(6, 9);
    ASSERT_TRUE(same);
    EXPECT_TRUE(std::equal(photo.dibSectionBitsPtr(), photo.dibSectionBitsPtr() + photo.sizeImage(),
                           same->dibSectionBitsPtr()));
    EXPECT_FALSE(photo.resample(0, 3));
}

TEST(ImagingDibSection, RandomGreyHasEqualChannels) {
    DibSection d = filled(16, 16, 0);
    d.randomiseBits(true);
    int distinct = 0;
    for (int x = 0; x < 16; ++x) {
        const std::uint32_t c = rgbAt(d, x, 5);
        EXPECT_EQ(c >> 16, c & 0xFF);
        EXPECT_EQ((c >> 8) & 0xFF, c & 0xFF);
        distinct += c != rgbAt(d, 0, 5);
    }
    EXPECT_GT(distinct, 0);
}

TEST(ImagingDibSection, SavePictureWritesA24BitFileOthersRead) {
    ScratchDir dir;
    DibSection d = photoLike(5, 3);  // rows of 15 bytes padded to 16
    ASSERT_TRUE(d.savePicture(dir / "a.bmp"));
    const auto b = readBytes(dir / "a.bmp");
    ASSERT_EQ(b.size(), 54u + 48u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le(b, 2), 102u);
    EXPECT_EQ(le(b, 10), 54u);
    EXPECT_EQ(le(b, 14), 40u);
    EXPECT_EQ(le(b, 18), 5u);
    EXPECT_EQ(le(b, 22), 3u);
    EXPECT_EQ(le(b, 26, 2), 1u);
    EXPECT_EQ(le(b, 28, 2), 24u);
    EXPECT_EQ(le(b, 34), 48u);
    EXPECT_EQ(b[54 + 15], 0);  // padding
    // The first row in the file is the bottom row.
    EXPECT_EQ(le(b, 54, 3), rgbAt(d, 0, 2));

    if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
    const auto pixels = imageMagickPixels(dir / "a.bmp");
    ASSERT_EQ(pixels.size(), 15u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(pixels[static_cast<std::size_t>(y * 5 + x)], rgbAt(d, x, y));
}

TEST(ImagingDibSection, AFileThatCannotBeCreatedIsError17) {
    ScratchDir dir;
    DibSection d = filled(2, 2, 0);
    try {
        d.savePicture(dir / "missing" / "a.bmp");
        FAIL() << "no error";
    } catch (const ImagingError& e) {
        EXPECT_EQ(e.number(), 17);
        EXPECT_EQ(e.source(), "veilora.cDIBSection256");
        EXPECT_EQ(e.description(), "No such file or directory");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

}  // namespace
}  // namespace veilora::imaging
