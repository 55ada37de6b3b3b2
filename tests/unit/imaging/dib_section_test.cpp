#include "imaging/dib_section.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "imaging/dib_section_save.h"
#include "imaging/imaging_error.h"
#include "imaging_test_support.h"

namespace veilora::imaging {
namespace {
using namespace testing;

// Nothing is left behind that a caller could walk over.
TEST(ImagingDibSection, AFailedCreateLeavesAnEmptyImage) {
    DibSection d = filled(5, 3, 0);
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {40000, 40000}}) {
        EXPECT_FALSE(d.create(w, h));
        EXPECT_TRUE(d.empty() && d.width() == 0 && d.height() == 0) << w << " x " << h;
    }
}

TEST(ImagingDibSection, LoadPictureBltCopiesOnlyWhatLiesInTheSource) {
    DibSection source = filled(4, 4, 0x112233);
    setRgb(source, 3, 3, 0xABCDEF);
    // A colour that stray bytes read from outside the source are unlikely to match.
    DibSection part = filled(4, 4, 0x445566);
    part.loadPictureBlt(source, 0, 0, 0, -1);  // no width: nothing
    EXPECT_EQ(countOf(part, 0x445566), 16);
    part.loadPictureBlt(source, 3, 3, -1, -1);  // only one source pixel lies in range
    EXPECT_EQ(rgbAt(part, 0, 0), 0xABCDEFu);
    EXPECT_EQ(countOf(part, 0x445566), 15);

    // Moved right and down within itself: every row comes from the picture as it was, and
    // nothing is copied to where the source lies outside.
    part.loadPictureBlt(part, -1, -1);
    EXPECT_EQ(rgbAt(part, 1, 1), 0xABCDEFu);
    EXPECT_EQ(countOf(part, 0xABCDEF), 2);
}

TEST(ImagingDibSection, ResampleInterpolatesAndGreyNoiseIsGrey) {
    const DibSection wide = *row({0, 0xFFFFFF}).resample(1, 4);
    EXPECT_EQ(rgbAt(wide, 1, 0), 0x404040u);  // a quarter of the way to white
    DibSection noise = filled(16, 16, 0);
    noise.randomiseBits(true);
    for (int i = 0; i < 256; ++i) {  // greys are the multiples of 0x010101
        ASSERT_EQ(rgbAt(noise, i % 16, i / 16) % 0x010101u, 0u);
    }
}

TEST(ImagingDibSection, FailuresToSaveAreReported) {
    ScratchDir dir;
    DibSection empty;
    EXPECT_FALSE(empty.savePicture(dir / "e.bmp"));
    EXPECT_FALSE(DibSectionSave().save(dir / "e.bmp", empty, OutputColourDepth::Colour256,
                                       ColourReductionMethod::None));
    EXPECT_FALSE(std::filesystem::exists(dir / "e.bmp"));
    EXPECT_FALSE(filled(2, 2, 0).savePicture("/dev/full"));  // no space left
    ASSERT_TRUE(filled(4, 4, 0).savePicture(dir / "a.bmp"));
    ASSERT_TRUE(filled(1, 1, 0).savePicture(dir / "a.bmp"));
    EXPECT_EQ(readBytes(dir / "a.bmp").size(), 54u + 4) << "saving over a file replaces it";

    // The system's own text for a failed file call where it has one, else the runtime's.
    setOsErrorText([](unsigned long code) {
        return std::string(code == 5 ? "Access is denied." : code == 0 ? "Done." : "");
    });
    EXPECT_EQ(fileErrorText(ENOENT, 5), "Access is denied.");
    for (unsigned long code : {0ul, 6ul}) {
        EXPECT_EQ(fileErrorText(ENOENT, code), "No such file or directory") << code;
    }
    setOsErrorText(nullptr);

    EXPECT_EQ(executableName(), "veilora");
    setExecutableName("viewer");
    EXPECT_EQ(imagingErrorOf([&] { filled(2, 2, 0).savePicture(dir / "missing" / "a.bmp"); }),
              "17 viewer.cDIBSection256: No such file or directory");
    setExecutableName("veilora");
}

}  // namespace
}  // namespace veilora::imaging
