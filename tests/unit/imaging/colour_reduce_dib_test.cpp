#include "imaging/colour_reduce_dib.h"

#include <gtest/gtest.h>

#include <array>

#include "imaging/nearest_colour.h"
#include "imaging/palette.h"
#include "imaging_test_support.h"

namespace veilora::imaging {
namespace {
using namespace testing;

TEST(ImagingBlackAndWhite, GreyRoundedHalfToEvenThenThresholdAndErrorOfTheColourWritten) {
    DibSection grey = row({0x010012, 0x020113});  // 1.5 and 2.5
    ColourReduceDib().grayScale(grey);
    EXPECT_EQ(countOf(grey, 0x020202), 2);

    DibSection from = row({0x808080, 0x818181}), to = filled(2, 1, 0x123456);
    ColourReduceDib().blackAndWhite(from, to);
    EXPECT_TRUE(sameBits(to, row({0, 0xFFFFFF})));

    // Black passes 7/16 of 100 to the right: 100 + 43 turns white.
    from = row({0x646464, 0x646464, 0});
    ColourReduceDib().blackAndWhite(from, to = filled(3, 1, 0));
    EXPECT_TRUE(sameBits(to, row({0, 0xFFFFFF, 0})));
    EXPECT_TRUE(sameBits(from, to));  // from ends as the two-colour image

    // White leaves no error behind: a 129 after white stays white.
    from = row({0xFFFFFF, 0x818181});
    ColourReduceDib().blackAndWhite(from, to = filled(2, 1, 0));
    EXPECT_EQ(countOf(to, 0xFFFFFF), 2);

    // The black 128 at the bottom passes 5/16 (40) up and 1/16 (8) up and right: 89 turns
    // white and then takes 55 from the 158 beside it, which the 17 from below leaves at 128.
    from = filled(4, 2, 0);
    setRgb(from, 1, 1, 0x808080);
    setRgb(from, 1, 0, 0x595959);
    setRgb(from, 2, 0, 0x9E9E9E);
    ColourReduceDib().blackAndWhite(from, to = filled(4, 2, 0));
    EXPECT_EQ(rgbAt(to, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(countOf(to, 0xFFFFFF), 1);
}

// The right neighbour receives (error x 7) / 16, toward zero, only beyond a total of 3, and
// the first and last columns nothing from the row below.
TEST(ImagingApplyPalette, ErrorGoesRightAndDownAwayFromTheEdges) {
    for (auto [first, second, after] : {
             std::array<std::uint32_t, 3>{0x646464, 0x101010, 0x101010},  // in the palette
             {0x676464, 0x101010, 0x101010},                              // 3
             {0x686464, 0x101010, 0x111010},                              // 4 x 7 / 16 = 1
             {0x606464, 0x101010, 0x0F1010},                              // -4 x 7 / 16 = -1
             {0x5A5A5A, 0x000000, 0x000000},  // -10 x 7 / 16 = -4, kept at 0
         }) {
        DibSection from = row({first, second, 0}), to = filled(3, 1, 0);
        ColourReduceDib().applyPalette(from, to, paletteOf({0x646464, 0}), true);
        EXPECT_EQ(rgbAt(from, 1, 0), after) << std::hex << first;
    }
    // The bottom row (the first in memory) spreads into the row above it.
    DibSection from = filled(3, 2, 0), to = filled(3, 2, 0);
    for (int x = 0; x < 3; ++x) setRgb(from, x, 1, 0x404040);
    ColourReduceDib().applyPalette(from, to, paletteOf({0}), true);
    EXPECT_EQ(rgbAt(from, 1, 0), 0x171717u);  // (64 + 64 x 7 / 16) x 4 / 16
    EXPECT_EQ(countOf(from, 0), 2);

    DibSection narrow = filled(1, 4, 0x808080);  // one pixel wide: nowhere to spread
    ColourReduceDib().applyPalette(narrow, to = filled(1, 4, 0), paletteOf({0}), true);
    EXPECT_EQ(countOf(narrow, 0x808080), 4);
}

TEST(ImagingApplyPalette, MissingNearestEntryAndShortTargetsAreErrorsNotCrashes) {
    DibSection from = row({0, 0x010101}), to = filled(2, 1, 0);
    for (bool diffused : {false, true})
        EXPECT_THROW(ColourReduceDib().applyPalette(from, to, paletteOf({0xFFFFFF}), diffused),
                     std::out_of_range);
    DibSection tall = filled(2, 3, 0), narrow = filled(1, 3, 0);
    EXPECT_THROW(ColourReduceDib().applyPalette(tall, to, paletteOf({0}), true),
                 std::invalid_argument);
    EXPECT_THROW(ColourReduceDib().blackAndWhite(tall, narrow), std::invalid_argument);
}

// The indexed search must give a linear scan's answers exactly (smallest squared distance,
// lowest index on ties), and the strip walk the column walk's image to the bit: the diffusion
// carries every difference on through the image.
TEST(ImagingApplyPalette, FastMappingMatchesTheReferenceSearchAndWalk) {
    std::mt19937 random(5);
    auto randomPalette = [&](int n, int step, int from = 0, int to = 255) {
        std::uniform_int_distribution<int> level(from / step, to / step);
        auto pick = [&] { return level(random) * step; };
        Palette p;
        for (int i = 0; i < n; ++i) p.add(pick(), pick(), pick());
        return p;
    };
    // Many ties (coarse levels), a crowd far from most pixels, lists that start like a grid of
    // levels but are none, the fixed tables and an optimal palette.
    std::vector<Palette> palettes = {
        randomPalette(236, 1), randomPalette(40, 85), randomPalette(400, 1, 100, 130),
        paletteOf({0x000000, 0xFF0000, 0x00FF00, 0x00FFFF}), paletteOf({0x000005, 0xFF0005, 0})};
    palettes.emplace_back().createHalfTone();
    palettes.emplace_back().create16Colour();
    palettes.emplace_back().createOptimal(photoLike(200, 150, 3), 236, 6);

    for (std::size_t i = 0; i < palettes.size(); ++i) {
        const Palette& table = palettes[i];
        NearestColour nearest(table.entries(), ColourDistance::SumOfSquares);
        for (int n = 0; n < 20000; ++n) {
            const std::uint32_t c = n < 256 ? n * 0x010101u : random() & 0xFFFFFF;
            const int r = static_cast<int>(c >> 16), g = (c >> 8) & 0xFF, b = c & 0xFF;
            const auto best = std::ranges::min_element(table.entries(), {}, [&](const auto& e) {
                return (r - e.red) * (r - e.red) + (g - e.green) * (g - e.green) +
                       (b - e.blue) * (b - e.blue);
            });
            ASSERT_EQ(nearest.find(r, g, b), best - table.entries().begin() + 1)
                << std::hex << c << " in palette " << i;
        }
        for (bool diffuse : {false, true}) {
            DibSection linearFrom = photoLike(131, 67, static_cast<unsigned>(i));
            DibSection fastFrom = linearFrom, linearTo = filled(131, 67, 0), fastTo = linearTo;
            ColourReduceDib linear;
            linear.setSearch(ColourReduceDib::Search::Linear);
            linear.applyPalette(linearFrom, linearTo, table, diffuse);
            ColourReduceDib().applyPalette(fastFrom, fastTo, table, diffuse);
            EXPECT_TRUE(sameBits(linearTo, fastTo) && sameBits(linearFrom, fastFrom))
                << "palette " << i << " diffuse " << diffuse;
        }
    }
}

}  // namespace
}  // namespace veilora::imaging
