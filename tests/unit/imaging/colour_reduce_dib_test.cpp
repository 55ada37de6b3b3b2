#include "imaging/colour_reduce_dib.h"

#include <gtest/gtest.h>

#include "imaging/nearest_colour.h"
#include "imaging/palette.h"
#include "imaging_test_support.h"

namespace veilora::imaging {
namespace {
using namespace testing;

// One row of pixels; memory rows are image rows counted from the bottom.
DibSection row(std::initializer_list<std::uint32_t> colours) {
    DibSection d = filled(static_cast<int>(colours.size()), 1, 0);
    int x = 0;
    for (std::uint32_t c : colours) setRgb(d, x++, 0, c);
    return d;
}

Palette paletteOf(std::initializer_list<std::uint32_t> colours) {
    Palette p;
    for (std::uint32_t c : colours) {
        p.add(static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
              static_cast<std::uint8_t>(c));
    }
    return p;
}

TEST(ImagingGrayScale, RoundsHalvesToEven) {
    DibSection d = row({0x010012, 0x020113, 0xFFFFFF});  // 1.5 and 2.5
    ColourReduceDib().grayScale(d);
    EXPECT_EQ(rgbAt(d, 0, 0), 0x020202u);
    EXPECT_EQ(rgbAt(d, 1, 0), 0x020202u);
    EXPECT_EQ(rgbAt(d, 2, 0), 0xFFFFFFu);
}

TEST(ImagingBlackAndWhite, ThresholdAndErrorOfTheColourWritten) {
    DibSection from = row({0x808080, 0x818181});
    DibSection to = filled(2, 1, 0x123456);
    ColourReduceDib().blackAndWhite(from, to);
    EXPECT_EQ(rgbAt(to, 0, 0), 0u);
    EXPECT_EQ(rgbAt(to, 1, 0), 0xFFFFFFu);

    // Black passes 7/16 of 100 to the right: 100 + 43 turns white.
    from = row({0x646464, 0x646464, 0});
    ColourReduceDib().blackAndWhite(from, to = filled(3, 1, 0));
    EXPECT_EQ(rgbAt(to, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(from, 1, 0), 0xFFFFFFu);  // from ends as the two-colour image

    // White leaves no error behind: white areas stay clean, a 129 after white stays white.
    from = filled(40, 30, 0xFFFFFF);
    setRgb(from, 1, 29, 0x818181);
    ColourReduceDib().blackAndWhite(from, to = filled(40, 30, 0));
    EXPECT_EQ(countOf(to, 0xFFFFFF), 40 * 30);
}

// The right neighbour receives (error x 7) / 16, toward zero, only beyond a total of 3.
TEST(ImagingApplyPalette, RightNeighbourGetsSevenSixteenthsOfErrorsAboveThree) {
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {0x646464, 0x101010},  // in the palette: no error
        {0x676464, 0x101010},  // 3
        {0x686464, 0x111010},  // 4 x 7 / 16 = 1
        {0x606464, 0x0F1010},  // -4 x 7 / 16 = -1
    };
    for (auto [first, second] : cases) {
        DibSection from = row({first, 0x101010, 0});
        DibSection to = filled(3, 1, 0);
        ColourReduceDib().applyPalette(from, to, paletteOf({0x646464, 0}), true);
        EXPECT_EQ(rgbAt(to, 0, 0), 0x646464u);
        EXPECT_EQ(rgbAt(from, 1, 0), second) << std::hex << first;
    }
}

TEST(ImagingApplyPalette, RowBelowGetsErrorOnlyAwayFromTheEdgeColumns) {
    // Memory row 0 is the bottom image row (y = 1); it spreads into memory row 1 (y = 0).
    DibSection from = filled(3, 2, 0);
    for (int x = 0; x < 3; ++x) setRgb(from, x, 1, 0x404040);
    DibSection to = filled(3, 2, 0);
    ColourReduceDib().applyPalette(from, to, paletteOf({0}), true);
    EXPECT_EQ(rgbAt(from, 0, 0), 0u);
    EXPECT_EQ(rgbAt(from, 1, 0), 0x171717u);  // (64 + 64 x 7 / 16) x 4 / 16
    EXPECT_EQ(rgbAt(from, 2, 0), 0u);

    DibSection narrow = filled(1, 4, 0x808080);  // one pixel wide: nowhere to spread
    ColourReduceDib().applyPalette(narrow, to = filled(1, 4, 0), paletteOf({0}), true);
    EXPECT_EQ(countOf(narrow, 0x808080), 4);
    EXPECT_EQ(narrow.dibSectionBitsPtr()[3], 0);  // row padding untouched
}

TEST(ImagingApplyPalette, MissingNearestEntryIsAnErrorNotACrash) {
    DibSection from = row({0, 0x010101});
    DibSection to = filled(2, 1, 0);
    EXPECT_THROW(ColourReduceDib().applyPalette(from, to, Palette{}, false), std::out_of_range);
    EXPECT_THROW(ColourReduceDib().applyPalette(from, to, paletteOf({0xFFFFFF}), false),
                 std::out_of_range);
    EXPECT_THROW(ColourReduceDib().applyPalette(from, to = filled(1, 1, 0), paletteOf({0}), false),
                 std::invalid_argument);
}

// The indexed search and the strip walk must give the column walk's linear-scan answers
// exactly, ties included: the diffusion carries every difference on through the image.
TEST(ImagingApplyPalette, FastMappingMatchesTheReferenceWalk) {
    std::mt19937 random(5);
    auto randomPalette = [&](int n, int step, int from = 0, int to = 255) {
        Palette p;
        std::uniform_int_distribution<int> level(from / step, to / step);
        for (int i = 0; i < n; ++i) {
            p.add(static_cast<std::uint8_t>(level(random) * step),
                  static_cast<std::uint8_t>(level(random) * step),
                  static_cast<std::uint8_t>(level(random) * step));
        }
        return p;
    };
    // Many ties (coarse levels), few colours, and a crowd far from most pixels.
    std::vector<Palette> palettes = {randomPalette(236, 1), randomPalette(40, 85),
                                     randomPalette(300, 17), randomPalette(3, 1),
                                     randomPalette(400, 1, 100, 130)};
    palettes.emplace_back().createHalfTone();
    palettes.emplace_back().createWebSafe();
    palettes.emplace_back().createOptimal(photoLike(200, 150, 3), 236, 6);

    for (std::size_t i = 0; i < palettes.size(); ++i) {
        for (bool diffuse : {false, true}) {
            DibSection linearFrom = photoLike(131, 67, static_cast<unsigned>(i));
            DibSection fastFrom = linearFrom, linearTo = filled(131, 67, 0), fastTo = linearTo;
            ColourReduceDib linear;
            linear.setSearch(ColourReduceDib::Search::Linear);
            linear.applyPalette(linearFrom, linearTo, palettes[i], diffuse);
            ColourReduceDib().applyPalette(fastFrom, fastTo, palettes[i], diffuse);
            EXPECT_TRUE(sameBits(linearTo, fastTo)) << "palette " << i << " diffuse " << diffuse;
            EXPECT_TRUE(sameBits(linearFrom, fastFrom)) << "palette " << i;
        }
    }
}

// Drawing into a colour table: smallest squared distance, lowest index on ties.
TEST(ImagingNearestColour, TableLookupMatchesABruteForceSearch) {
    std::mt19937 random(9);
    for (auto build : {&Palette::createHalfTone, &Palette::createWebSafe, &Palette::create16Colour,
                       &Palette::createMono}) {
        Palette table;
        (table.*build)();
        NearestColour nearest(table.entries(), ColourDistance::SumOfSquares);
        for (int n = 0; n < 20000; ++n) {
            const std::uint32_t c = n < 256 ? n * 0x010101u : random() & 0xFFFFFF;
            const int r = static_cast<int>(c >> 16), g = (c >> 8) & 0xFF, b = c & 0xFF;
            int best = 0, bestDistance = 1 << 30;
            for (int i = 1; i <= table.count(); ++i) {
                const int dr = r - table.red(i), dg = g - table.green(i), db = b - table.blue(i);
                if (dr * dr + dg * dg + db * db < bestDistance) {
                    bestDistance = dr * dr + dg * dg + db * db;
                    best = i;
                }
            }
            ASSERT_EQ(nearest.find(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                   static_cast<std::uint8_t>(b)),
                      best)
                << std::hex << c << " in a table of " << std::dec << table.count();
        }
    }
}

}  // namespace
}  // namespace veilora::imaging
