#include "imaging/dib_section.h"

#include <gtest/gtest.h>

#include "imaging/imaging_error.h"
#include "imaging_test_support.h"

namespace veilora::imaging {
namespace {
using namespace testing;

TEST(ImagingDibSection, RowsArePaddedAndStoredBottomUp) {
    EXPECT_EQ(DibSection::bytesPerScanLine(1), 4);
    EXPECT_EQ(DibSection::bytesPerScanLine(4), 12);
    EXPECT_EQ(DibSection::bytesPerScanLine(5), 16);
    DibSection d;
    ASSERT_TRUE(d.create(5, 3));
    EXPECT_EQ(d.sizeImage(), 48u);
    EXPECT_EQ(d.pixelOffset(0, 0), 32u);  // the top row is the last in memory
    EXPECT_EQ(d.pixelOffset(4, 2), 12u);
    EXPECT_FALSE(d.create(0, 5));
    EXPECT_FALSE(d.create(40000, 40000));  // beyond what a bitmap file can hold
    EXPECT_TRUE(d.empty());
}

TEST(ImagingDibSection, LoadPictureBltCopiesTheWholeImageOrAClippedPart) {
    DibSection source = filled(4, 4, 0x112233);
    setRgb(source, 3, 3, 0xABCDEF);
    DibSection whole = filled(4, 4, 0);
    whole.loadPictureBlt(source, 0, 0, -1, -1);
    EXPECT_EQ(rgbAt(whole, 3, 3), 0xABCDEFu);
    EXPECT_EQ(rgbAt(whole, 0, 0), 0x112233u);

    DibSection part = filled(4, 4, 0);
    part.loadPictureBlt(source, 0, 0, 0, 0);
    EXPECT_EQ(rgbAt(part, 0, 0), 0u);
    part.loadPictureBlt(source, 3, 3, -1, -1);  // only one source pixel lies in range
    EXPECT_EQ(rgbAt(part, 0, 0), 0xABCDEFu);
    EXPECT_EQ(rgbAt(part, 1, 0), 0u);
}

TEST(ImagingDibSection, SavePictureWritesA24BitFileOthersRead) {
    ScratchDir dir;
    DibSection d = photoLike(5, 3);
    ASSERT_TRUE(d.savePicture(dir / "a.bmp"));
    const auto b = readBytes(dir / "a.bmp");
    ASSERT_EQ(b.size(), 54u + 48u);
    EXPECT_EQ(b[54 + 15], 0);                 // row padding
    EXPECT_EQ(le(b, 54, 3), rgbAt(d, 0, 2));  // the bottom row comes first
    expectImageMagickSees(dir / "a.bmp", d);
}

TEST(ImagingDibSection, AFileThatCannotBeCreatedIsError17) {
    ScratchDir dir;
    try {
        filled(2, 2, 0).savePicture(dir / "missing" / "a.bmp");
        FAIL() << "no error";
    } catch (const ImagingError& e) {
        EXPECT_EQ(e.number(), 17);
        EXPECT_EQ(e.source(), "veilora.cDIBSection256");
        EXPECT_EQ(e.description(), "No such file or directory");
    }
}

}  // namespace
}  // namespace veilora::imaging
