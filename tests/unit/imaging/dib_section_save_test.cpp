#include "imaging/dib_section_save.h"

#include <gtest/gtest.h>

#include "imaging/dib_section.h"
#include "imaging_test_support.h"

namespace veilora::imaging {
namespace {
using namespace testing;

bool save(const std::filesystem::path& file, DibSection& d, std::optional<Palette>& palette,
          OutputColourDepth depth, ColourReductionMethod method = ColourReductionMethod::None) {
    return DibSectionSave().save(file, d, palette, depth, method);
}

// Widths that do not fill the last 32-bit word of a row.
TEST(ImagingSave, HeaderAndRowPaddingOfEveryDepth) {
    struct Layout {
        OutputColourDepth depth;
        std::uint32_t width, bits, rowBytes, offBits;
    };
    ScratchDir dir;
    for (Layout l : {Layout{OutputColourDepth::Colour256, 1366, 8, 1368, 1078},
                     Layout{OutputColourDepth::Colour16, 1023, 4, 512, 118},
                     Layout{OutputColourDepth::Mono, 1366, 1, 172, 62},
                     Layout{OutputColourDepth::TrueColour, 5, 24, 16, 54}}) {
        SCOPED_TRACE(l.bits);
        DibSection d = photoLike(static_cast<int>(l.width), 3);
        std::optional<Palette> none;
        ASSERT_TRUE(save(dir / "a.bmp", d, none, l.depth));
        const auto b = readBytes(dir / "a.bmp");
        ASSERT_EQ(b.size(), l.offBits + 3 * l.rowBytes);
        EXPECT_EQ(le(b, 0, 2), 0x4D42u);
        EXPECT_EQ(le(b, 2), b.size());
        EXPECT_EQ(le(b, 10), l.offBits);
        EXPECT_EQ(le(b, 14), 40u);
        EXPECT_EQ(le(b, 18), l.width);
        EXPECT_EQ(le(b, 22), 3u);
        EXPECT_EQ(le(b, 26, 2), 1u);
        EXPECT_EQ(le(b, 28, 2), l.bits);
        EXPECT_EQ(le(b, 34), 3 * l.rowBytes);
        for (std::size_t at : {6, 30, 38, 42, 46, 50}) EXPECT_EQ(le(b, at), 0u) << at;
    }
}

TEST(ImagingSave, ColourTablesOfEachDepth) {
    ScratchDir dir;
    DibSection d = photoLike(8, 2);
    std::optional<Palette> palette;
    ASSERT_TRUE(save(dir / "1.bmp", d, palette, OutputColourDepth::Mono));
    auto b = readBytes(dir / "1.bmp");
    EXPECT_EQ(le(b, 54), 0u);
    EXPECT_EQ(le(b, 58), 0x00FFFFFFu);

    ASSERT_TRUE(save(dir / "4.bmp", d, palette, OutputColourDepth::Colour16));
    b = readBytes(dir / "4.bmp");
    // Red and blue exchanged: entry 1 is dark blue, 9 pure blue, 11 cyan.
    EXPECT_EQ(le(b, 54 + 4), 0x00000080u);
    EXPECT_EQ(le(b, 54 + 4 * 9), 0x000000FFu);
    EXPECT_EQ(le(b, 54 + 4 * 11), 0x0000FFFFu);
    EXPECT_FALSE(palette);

    // No palette at 8 bits: the halftone palette, handed back.
    ASSERT_TRUE(save(dir / "8.bmp", d, palette, OutputColourDepth::Colour256));
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->count(), 256);
    EXPECT_EQ(le(readBytes(dir / "8.bmp"), 54 + 4 * 124), 0x00FFFFFFu);

    palette.emplace();
    palette->add(10, 20, 30);
    palette->add(70, 80, 90);
    ASSERT_TRUE(save(dir / "8.bmp", d, palette, OutputColourDepth::Colour256));
    b = readBytes(dir / "8.bmp");
    EXPECT_EQ(le(b, 54), 0x000A141Eu);
    EXPECT_EQ(le(b, 58), 0x0046505Au);
    for (std::size_t i = 2; i < 256; ++i) ASSERT_EQ(le(b, 54 + 4 * i), 0u);  // black tail
}

// Method 0 shows the caller the colours the file holds; any other number does not.
TEST(ImagingSave, NearestColoursAreSavedAndCopiedBack) {
    ScratchDir dir;
    for (auto depth :
         {OutputColourDepth::Mono, OutputColourDepth::Colour16, OutputColourDepth::Colour256}) {
        SCOPED_TRACE(static_cast<int>(depth));
        const DibSection original = photoLike(37, 9);
        DibSection d = original, untouched = original;
        std::optional<Palette> palette;
        ASSERT_TRUE(save(dir / "m.bmp", d, palette, depth));
        EXPECT_NE(rgbAt(d, 3, 3), rgbAt(original, 3, 3));
        palette.reset();
        ASSERT_TRUE(save(dir / "n.bmp", untouched, palette, depth, ColourReductionMethod{7}));
        EXPECT_EQ(readBytes(dir / "m.bmp"), readBytes(dir / "n.bmp"));
        EXPECT_EQ(rgbAt(untouched, 3, 3), rgbAt(original, 3, 3));
        expectImageMagickSees(dir / "m.bmp", d);
    }
}

TEST(ImagingSave, HalfToneMapsEachChannelToItsNearestLevel) {
    ScratchDir dir;
    DibSection d = filled(4, 1, 0);
    setRgb(d, 0, 0, 0x20A0E0);  // 32 and 160 lie midway between levels: the lower wins
    setRgb(d, 1, 0, 0x21DFF0);
    std::optional<Palette> palette;
    ASSERT_TRUE(save(dir / "h.bmp", d, palette, OutputColourDepth::Colour256));
    EXPECT_EQ(rgbAt(d, 0, 0), 0x0080FFu);
    EXPECT_EQ(rgbAt(d, 1, 0), 0x40C0FFu);
    EXPECT_EQ(readBytes(dir / "h.bmp")[1078], 0 + 5 * 2 + 25 * 4);
}

TEST(ImagingSave, ReductionMethodsUseTheirPalettes) {
    ScratchDir dir;
    DibSection d = photoLike(64, 40);
    std::optional<Palette> palette;
    EXPECT_THROW(save(dir / "x.bmp", d, palette, OutputColourDepth::Colour256,
                      ColourReductionMethod::Palette),
                 std::invalid_argument);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.bmp"));

    ASSERT_TRUE(save(dir / "o.bmp", d, palette, OutputColourDepth::Colour256,
                     ColourReductionMethod::Automatic));
    ASSERT_TRUE(palette);
    EXPECT_LE(palette->count(), 236);
    ASSERT_TRUE(save(dir / "s.bmp", d, palette, OutputColourDepth::Colour16,
                     ColourReductionMethod::Automatic));
    EXPECT_EQ(palette->count(), 16);
    ASSERT_TRUE(save(dir / "p.bmp", d, palette, OutputColourDepth::Colour256,
                     ColourReductionMethod::Palette));
    EXPECT_EQ(palette->count(), 16);  // the caller's palette is only read
}

TEST(ImagingSave, TrueColourIgnoresPaletteAndMethodAndReplacesTheFile) {
    ScratchDir dir;
    ASSERT_TRUE(photoLike(50, 50).savePicture(dir / "t.bmp"));
    DibSection d = photoLike(5, 2);
    std::optional<Palette> palette;
    ASSERT_TRUE(save(dir / "t.bmp", d, palette, OutputColourDepth::TrueColour,
                     ColourReductionMethod::Palette));
    EXPECT_FALSE(palette);
    ASSERT_TRUE(d.savePicture(dir / "u.bmp"));
    EXPECT_EQ(readBytes(dir / "t.bmp"), readBytes(dir / "u.bmp"));
}

}  // namespace
}  // namespace veilora::imaging
