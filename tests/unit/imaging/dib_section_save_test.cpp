#include "imaging/dib_section_save.h"

#include <gtest/gtest.h>

#include "imaging/dib_section.h"
#include "imaging/imaging_error.h"
#include "imaging_test_support.h"

namespace veilora::imaging {
namespace {
using namespace testing;

struct Layout {
    OutputColourDepth depth;
    int width, bits, rowBytes, offBits;
};

// The padding cases: widths that do not fill the last 32-bit word of a row.
TEST(ImagingSave, HeaderAndRowPaddingOfEveryDepth) {
    ScratchDir dir;
    for (Layout l : {Layout{OutputColourDepth::Colour256, 1366, 8, 1368, 1078},
                     Layout{OutputColourDepth::Colour16, 1023, 4, 512, 118},
                     Layout{OutputColourDepth::Mono, 1366, 1, 172, 62},
                     Layout{OutputColourDepth::TrueColour, 5, 24, 16, 54}}) {
        SCOPED_TRACE(l.bits);
        DibSection d = photoLike(l.width, 3);
        ASSERT_TRUE(DibSectionSave().save(dir / "a.bmp", d, l.depth, ColourReductionMethod::None));
        const auto b = readBytes(dir / "a.bmp");
        const std::uint32_t size = static_cast<std::uint32_t>(l.offBits + 3 * l.rowBytes);
        ASSERT_EQ(b.size(), size);
        EXPECT_EQ(le(b, 0, 2), 0x4D42u);
        EXPECT_EQ(le(b, 2), size);
        EXPECT_EQ(le(b, 6), 0u);
        EXPECT_EQ(le(b, 10), static_cast<std::uint32_t>(l.offBits));
        EXPECT_EQ(le(b, 14), 40u);
        EXPECT_EQ(le(b, 18), static_cast<std::uint32_t>(l.width));
        EXPECT_EQ(le(b, 22), 3u);
        EXPECT_EQ(le(b, 26, 2), 1u);
        EXPECT_EQ(le(b, 28, 2), static_cast<std::uint32_t>(l.bits));
        EXPECT_EQ(le(b, 30), 0u);
        EXPECT_EQ(le(b, 34), static_cast<std::uint32_t>(3 * l.rowBytes));
        for (int at = 38; at < 54; at += 4) EXPECT_EQ(le(b, static_cast<std::size_t>(at)), 0u);
    }
}

TEST(ImagingSave, ColourTablesOfEachDepth) {
    ScratchDir dir;
    DibSection d = photoLike(8, 2);
    ASSERT_TRUE(DibSectionSave().save(dir / "1.bmp", d, OutputColourDepth::Mono,
                                      ColourReductionMethod::None));
    auto b = readBytes(dir / "1.bmp");
    EXPECT_EQ(le(b, 54), 0u);
    EXPECT_EQ(le(b, 58), 0x00FFFFFFu);

    ASSERT_TRUE(DibSectionSave().save(dir / "4.bmp", d, OutputColourDepth::Colour16,
                                      ColourReductionMethod::None));
    b = readBytes(dir / "4.bmp");
    // Stored as blue, green, red with red and blue exchanged: entry 1 is dark blue,
    // entry 9 pure blue, entry 11 cyan, entry 15 white.
    EXPECT_EQ(le(b, 54 + 4), 0x00000080u);
    EXPECT_EQ(le(b, 54 + 4 * 9), 0x000000FFu);
    EXPECT_EQ(le(b, 54 + 4 * 11), 0x0000FFFFu);
    EXPECT_EQ(le(b, 54 + 4 * 15), 0x00FFFFFFu);

    std::optional<Palette> three{Palette{}};
    three->add(10, 20, 30);
    three->add(40, 50, 60);
    three->add(70, 80, 90);
    ASSERT_TRUE(DibSectionSave().save(dir / "8.bmp", d, three, OutputColourDepth::Colour256,
                                      ColourReductionMethod::None));
    b = readBytes(dir / "8.bmp");
    EXPECT_EQ(le(b, 54), 0x000A141Eu);
    EXPECT_EQ(le(b, 54 + 8), 0x0046505Au);
    EXPECT_EQ(le(b, 46), 0u);  // colours used: the full table
    for (int i = 3; i < 256; ++i) ASSERT_EQ(le(b, 54 + 4 * static_cast<std::size_t>(i)), 0u);
}

TEST(ImagingSave, WithoutAPaletteTheHalfToneIsUsedAndHandedBack) {
    ScratchDir dir;
    DibSection d = photoLike(8, 2);
    std::optional<Palette> palette;
    ASSERT_TRUE(DibSectionSave().save(dir / "8.bmp", d, palette, OutputColourDepth::Colour256,
                                      ColourReductionMethod::None));
    ASSERT_TRUE(palette);
    Palette halfTone;
    halfTone.createHalfTone();
    EXPECT_TRUE(std::equal(halfTone.entries().begin(), halfTone.entries().end(),
                           palette->entries().begin(), palette->entries().end()));
    const auto b = readBytes(dir / "8.bmp");
    EXPECT_EQ(le(b, 54 + 4 * 124), 0x00FFFFFFu);
}

// Method 0 shows the caller the colours the file holds; ImageMagick reads them back.
TEST(ImagingSave, NearestColoursAreSavedAndCopiedBack) {
    ScratchDir dir;
    for (auto depth :
         {OutputColourDepth::Mono, OutputColourDepth::Colour16, OutputColourDepth::Colour256}) {
        SCOPED_TRACE(static_cast<int>(depth));
        DibSection d = photoLike(37, 9);
        const DibSection original = d;
        ASSERT_TRUE(DibSectionSave().save(dir / "m.bmp", d, depth, ColourReductionMethod::None));
        // Pixels pure in every channel keep their colour at every depth.
        EXPECT_NE(rgbAt(d, 3, 3), rgbAt(original, 3, 3));

        DibSection untouched = original;
        ASSERT_TRUE(DibSectionSave().save(dir / "n.bmp", untouched, depth,
                                          static_cast<ColourReductionMethod>(7)));
        EXPECT_EQ(readBytes(dir / "m.bmp"), readBytes(dir / "n.bmp"));
        EXPECT_EQ(rgbAt(untouched, 3, 3), rgbAt(original, 3, 3));

        if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick is not installed";
        const auto pixels = imageMagickPixels(dir / "m.bmp");
        ASSERT_EQ(pixels.size(), 37u * 9u);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 37; ++x)
                ASSERT_EQ(pixels[static_cast<std::size_t>(y * 37 + x)], rgbAt(d, x, y))
                    << x << "," << y;
    }
}

TEST(ImagingSave, HalfToneMapsEachChannelToItsNearestLevel) {
    ScratchDir dir;
    DibSection d = filled(4, 1, 0);
    setRgb(d, 0, 0, 0x20A0E0);  // 32 and 160 lie midway between levels: the lower wins
    setRgb(d, 1, 0, 0x21DFF0);
    ASSERT_TRUE(DibSectionSave().save(dir / "h.bmp", d, OutputColourDepth::Colour256,
                                      ColourReductionMethod::None));
    EXPECT_EQ(rgbAt(d, 0, 0), 0x0080FFu);
    EXPECT_EQ(rgbAt(d, 1, 0), 0x40C0FFu);
    const auto b = readBytes(dir / "h.bmp");
    EXPECT_EQ(b[1078], 0 + 5 * 2 + 25 * 4);
}

TEST(ImagingSave, ReductionMethodsUseTheirPalettes) {
    ScratchDir dir;
    DibSection d = photoLike(64, 40);
    std::optional<Palette> palette;
    EXPECT_THROW(DibSectionSave().save(dir / "x.bmp", d, palette, OutputColourDepth::Colour256,
                                       ColourReductionMethod::Palette),
                 std::invalid_argument);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.bmp"));

    ASSERT_TRUE(DibSectionSave().save(dir / "o.bmp", d, palette, OutputColourDepth::Colour256,
                                      ColourReductionMethod::Automatic));
    ASSERT_TRUE(palette);
    EXPECT_LE(palette->count(), 236);
    const auto b = readBytes(dir / "o.bmp");
    for (int i = palette->count(); i < 256; ++i)
        ASSERT_EQ(le(b, 54 + 4 * static_cast<std::size_t>(i)), 0u);

    ASSERT_TRUE(DibSectionSave().save(dir / "s.bmp", d, palette, OutputColourDepth::Colour16,
                                      ColourReductionMethod::Automatic));
    EXPECT_EQ(palette->count(), 16);
    ASSERT_TRUE(DibSectionSave().save(dir / "p.bmp", d, palette, OutputColourDepth::Colour256,
                                      ColourReductionMethod::Palette));
    EXPECT_EQ(palette->count(), 16);  // the caller's palette is only read
}

TEST(ImagingSave, TrueColourIgnoresPaletteAndMethodAndReplacesTheFile) {
    ScratchDir dir;
    DibSection big = photoLike(50, 50);
    ASSERT_TRUE(big.savePicture(dir / "t.bmp"));
    DibSection d = photoLike(5, 2);
    std::optional<Palette> palette;
    ASSERT_TRUE(DibSectionSave().save(dir / "t.bmp", d, palette, OutputColourDepth::TrueColour,
                                      ColourReductionMethod::Palette));
    EXPECT_FALSE(palette);
    ASSERT_TRUE(d.savePicture(dir / "u.bmp"));
    EXPECT_EQ(readBytes(dir / "t.bmp"), readBytes(dir / "u.bmp"));
}

TEST(ImagingSave, UncreatableFileIsError17AtEveryDepth) {
    ScratchDir dir;
    DibSection d = photoLike(5, 2);
    try {
        DibSectionSave().save(dir / "no" / "x.bmp", d, OutputColourDepth::Mono,
                              ColourReductionMethod::None);
        FAIL() << "no error";
    } catch (const ImagingError& e) {
        EXPECT_EQ(e.number(), 17);
        EXPECT_EQ(e.source(), "veilora.cDIBSection256");
    }
}

}  // namespace
}  // namespace veilora::imaging
