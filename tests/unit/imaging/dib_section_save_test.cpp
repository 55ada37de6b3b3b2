#include "imaging/dib_section_save.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "imaging/colour_reduce_dib.h"
#include "imaging/dib_section.h"
#include "imaging_test_support.h"

namespace veilora::imaging {
namespace {
using namespace testing;
using enum OutputColourDepth;

constexpr std::uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000;

// The file saving writes, read back; empty when saving fails.
std::vector<std::uint8_t> saved(DibSection& d, std::optional<Palette>& palette,
                                OutputColourDepth depth,
                                ColourReductionMethod method = ColourReductionMethod::None) {
    ScratchDir dir;
    if (!DibSectionSave().save(dir / "a.bmp", d, palette, depth, method)) return {};
    return readBytes(dir / "a.bmp");
}

// At each depth: the headers, a row padded to a whole 32-bit word, and the table's colours
// packed leftmost pixel first into the high bits. With method None the image shows the
// colours the file holds, which are these.
TEST(ImagingSave, HeadersAndPixelsOfEveryDepth) {
    const std::uint32_t w = kWhite, r = kRed;
    const int bits[] = {1, 4, 8, 24};  // at depths 0 to 3
    const std::pair<DibSection, std::vector<std::uint8_t>> cases[] = {
        {row({w, 0, w, 0, w, 0, w, 0, w}), {0xAA, 0x80, 0, 0}},
        {row({w, 0, r, w}), {0xF0, 0xCF, 0, 0}},
        {row({w, 0, r}), {124, 0, 4, 0}},
        {row({r}), {0, 0, 0xFF, 0}}};
    for (int depth = 0; depth < 4; ++depth) {
        const auto& [image, pixels] = cases[depth];
        DibSection d = image;
        std::optional<Palette> none;
        const auto b = saved(d, none, OutputColourDepth(depth));
        const std::uint32_t tableBytes = bits[depth] < 24 ? 4u << bits[depth] : 0;
        auto expected = bitmapHeaders(image.width(), 1, bits[depth], tableBytes, 4);
        expected.insert(expected.end(), b.begin() + 54, b.end() - 4);  // the table as written
        expected.insert(expected.end(), pixels.begin(), pixels.end());
        EXPECT_EQ(b, expected) << bits[depth];
        EXPECT_TRUE(sameBits(d, image)) << bits[depth];
    }
}

// A palette that is a grid of levels maps each channel to the nearest of its own levels;
// any other takes the colour nearest by the sum of squares.
TEST(ImagingSave, PalettesMapEachPixelToTheNearestColourGridsChannelByChannel) {
    DibSection d = row({0x20A0E0, 0x21DFF0});  // 32 and 160 lie midway: the lower level wins
    std::optional<Palette> palette;
    EXPECT_EQ(saved(d, palette, Colour256).at(1078), 0 + 5 * 2 + 25 * 4);
    EXPECT_TRUE(sameBits(d, row({0x0080FF, 0x40C0FF})));

    // Red in 2 levels, green in 3, blue in 4.
    palette.emplace();
    for (int blue : {0, 85, 170, 255})
        for (int green : {0, 128, 255})
            for (int red : {0, 255}) palette->add(red, green, blue);
    setRgb(d, 0, 0, 0x646464);
    EXPECT_EQ(saved(d, palette, Colour256).at(1078), 0 + 2 * 1 + 6 * 1);
    EXPECT_EQ(rgbAt(d, 0, 0), 0x008055u);

    // A longer palette gives only its first 256 colours to the table.
    for (int i = 0; i < 300; ++i) palette->add(static_cast<std::uint8_t>(i), 7, 9);
    const auto b = saved(d, palette, Colour256);
    EXPECT_EQ(b.size(), 1078u + 4);
    EXPECT_EQ(le(b, 54 + 4 * 255), 0xE70709u);  // the 232nd added colour

    // Squared 900 against 432, though absolute 30 against 36.
    DibSection white = row({kWhite});
    palette = paletteOf({0xE1FFFF, 0xF3F3F3});
    EXPECT_EQ(saved(white, palette, Colour256).at(1078), 1);
}

TEST(ImagingSave, ReductionMethodsUseTheirPalettes) {
    DibSection d = photoLike(64, 40);
    std::optional<Palette> palette;
    EXPECT_THROW(saved(d, palette, Colour256, ColourReductionMethod::Palette),
                 std::invalid_argument);
    saved(d, palette, Colour256, ColourReductionMethod::Automatic);
    EXPECT_LE(palette.value().count(), 236);
    EXPECT_TRUE(sameBits(d, photoLike(64, 40))) << "the optimal palette is not diffused";
    std::optional<Palette> none;
    saved(d, none, Colour256, ColourReductionMethod::NoneKeepImage);
    EXPECT_TRUE(sameBits(d, photoLike(64, 40))) << "kept as it was";
    EXPECT_TRUE(DibSectionSave().encode(d, none, TrueColour, ColourReductionMethod::Palette))
        << "24 bits need no palette";
    EXPECT_THROW(saved(d, none, OutputColourDepth(7)), std::invalid_argument);

    // At 8 bits each pixel is the table's first entry of the colour the reduction chose,
    // also when the palette repeats colours and rows are padded.
    for (auto method : {ColourReductionMethod::Palette, ColourReductionMethod::Automatic}) {
        DibSection image = photoLike(13, 9, 7), reduced = filled(13, 9, 0), copy = image;
        palette = paletteOf({0x102030, 0xF0E0D0, 0x102030, 0x808080, 0x10FF10, 0xF0E0D0});
        const auto b = saved(image, palette, Colour256, method);
        ColourReduceDib().applyPalette(copy, reduced, *palette,
                                       method == ColourReductionMethod::Palette);
        const auto entries = palette->entries();
        for (int i = 0; i < 13 * 9; ++i) {
            const int x = i % 13, y = i / 13;
            const auto first = std::ranges::find(entries, rgb(rgbAt(reduced, x, y)));
            ASSERT_EQ(b.at(1078 + static_cast<std::size_t>((8 - y) * 16 + x)),
                      first - entries.begin())
                << x << ", " << y;
        }
    }
    palette.emplace();  // longer than the 8-bit table: its first 256 colours, and it is drawn
    for (int i = 0; i < 300; ++i) palette->add(i % 256, i * 7 % 256, i * 13 % 256);
    EXPECT_EQ(saved(d, palette, Colour256, ColourReductionMethod::Palette).size(),
              1078u + 64 * 40);

    // Sixteen colours are diffused: a flat grey between two of them comes out mixed.
    DibSection grey = filled(8, 8, 0x606060);
    const auto b = saved(grey, palette, Colour16, ColourReductionMethod::Automatic);
    EXPECT_GT(std::set(b.begin() + 118, b.end()).size(), 1u);
    grey = filled(8, 8, 0x606060);  // and so is the caller's palette
    const auto c = saved(grey, palette, Colour256, ColourReductionMethod::Palette);
    EXPECT_GT(std::set(c.begin() + 1078, c.end()).size(), 1u);
}

}  // namespace
}  // namespace veilora::imaging
