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

    // White leaves no error: a following 129 stays white.
    from = row({0xFFFFFF, 0x818181, 0});
    ColourReduceDib().blackAndWhite(from, to = filled(3, 1, 0));
    EXPECT_EQ(rgbAt(to, 1, 0), 0xFFFFFFu);
    // Black passes 7/16 of 100 to the right: 100 + 43 turns white.
    from = row({0x646464, 0x646464, 0});
    ColourReduceDib().blackAndWhite(from, to);
    EXPECT_EQ(rgbAt(to, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(rgbAt(from, 1, 0), 0xFFFFFFu);  // from ends as the two-colour image
}

TEST(ImagingBlackAndWhite, WhiteAreasStayClean) {
    DibSection from = filled(40, 30, 0xFFFFFF);
    DibSection to = filled(40, 30, 0);
    ColourReduceDib().blackAndWhite(from, to);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(rgbAt(to, x, y), 0xFFFFFFu) << x << "," << y;
}

TEST(ImagingApplyPalette, ColoursInThePaletteStayAndPassNothingOn) {
    Palette p = paletteOf({0x646464, 0});
    DibSection from = row({0x646464, 0x323232, 0});
    DibSection to = filled(3, 1, 0xABCDEF);
    ColourReduceDib().applyPalette(from, to, p, true);
    EXPECT_EQ(rgbAt(to, 0, 0), 0x646464u);
    EXPECT_EQ(rgbAt(from, 1, 0), 0x323232u);
}

TEST(ImagingApplyPalette, ErrorOfThreeOrLessIsNotSpread) {
    Palette p = paletteOf({0x646464, 0});
    DibSection small = row({0x676464, 0x101010, 0});
    DibSection to = filled(3, 1, 0);
    ColourReduceDib().applyPalette(small, to, p, true);
    EXPECT_EQ(rgbAt(small, 1, 0), 0x101010u);

    DibSection four = row({0x686464, 0x101010, 0});
    ColourReduceDib().applyPalette(four, to, p, true);
    EXPECT_EQ(rgbAt(four, 1, 0), 0x111010u);  // 4 x 7 / 16 = 1

    DibSection negative = row({0x606464, 0x101010, 0});
    ColourReduceDib().applyPalette(negative, to, p, true);
    EXPECT_EQ(rgbAt(negative, 1, 0), 0x0F1010u);  // -4 x 7 / 16 = -1, toward zero
}

TEST(ImagingApplyPalette, RowBelowGetsErrorOnlyAwayFromTheFirstAndLastColumns) {
    Palette p = paletteOf({0});
    // Memory row 0 is the bottom image row (y = 1); it spreads into memory row 1 (y = 0).
    DibSection from = filled(3, 2, 0);
    for (int x = 0; x < 3; ++x) setRgb(from, x, 1, 0x404040);
    DibSection to = filled(3, 2, 0);
    ColourReduceDib reducer;
    reducer.setSearch(ColourReduceDib::Search::Linear);
    reducer.applyPalette(from, to, p, true);
    EXPECT_EQ(rgbAt(from, 0, 0), 0u);
    EXPECT_EQ(rgbAt(from, 1, 0), 0x171717u);  // (64 + 64 x 7 / 16) x 4 / 16
    EXPECT_EQ(rgbAt(from, 2, 0), 0u);
}

TEST(ImagingApplyPalette, OnePixelWideImageSpreadsNothing) {
    Palette p = paletteOf({0});
    DibSection from = filled(1, 4, 0x808080);
    DibSection to = filled(1, 4, 0);
    ColourReduceDib().applyPalette(from, to, p, true);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(rgbAt(from, 0, y), 0x808080u);
    EXPECT_EQ(from.dibSectionBitsPtr()[3], 0);  // row padding untouched
}

TEST(ImagingApplyPalette, MissingNearestEntryIsAnErrorNotACrash) {
    DibSection from = row({0, 0x010101});
    DibSection to = filled(2, 1, 0);
    EXPECT_THROW(ColourReduceDib().applyPalette(from, to, Palette{}, false), std::out_of_range);
    EXPECT_THROW(ColourReduceDib().applyPalette(from, to, paletteOf({0xFFFFFF}), false),
                 std::out_of_range);
    DibSection tooSmall = filled(1, 1, 0);
    EXPECT_THROW(ColourReduceDib().applyPalette(from, tooSmall, paletteOf({0}), false),
                 std::invalid_argument);
}

// The indexed search must give the linear scan's answers exactly, ties included, since the
// diffusion carries every difference on through the rest of the image.
TEST(ImagingApplyPalette, IndexedSearchMatchesTheLinearScan) {
    std::mt19937 random(5);
    auto randomPalette = [&](int n, int step) {
        Palette p;
        std::uniform_int_distribution<int> level(0, 255 / step);
        for (int i = 0; i < n; ++i) {
            p.add(static_cast<std::uint8_t>(level(random) * step),
                  static_cast<std::uint8_t>(level(random) * step),
                  static_cast<std::uint8_t>(level(random) * step));
        }
        return p;
    };
    Palette crowded;  // far from the cluster every colour is a candidate
    for (int i = 0; i < 400; ++i) {
        crowded.add(static_cast<std::uint8_t>(100 + i % 7 * 5),
                    static_cast<std::uint8_t>(100 + i / 7 % 7 * 5),
                    static_cast<std::uint8_t>(100 + i / 49 * 3));
    }
    std::vector<Palette> palettes = {randomPalette(236, 1), randomPalette(40, 85),
                                     randomPalette(300, 17), randomPalette(3, 1), crowded};
    palettes.emplace_back().createHalfTone();
    palettes.emplace_back().createWebSafe();
    Palette optimal;
    optimal.createOptimal(photoLike(200, 150, 3), 236, 6);
    palettes.push_back(optimal);

    for (std::size_t i = 0; i < palettes.size(); ++i) {
        for (bool diffuse : {false, true}) {
            DibSection linearFrom = photoLike(131, 67, static_cast<unsigned>(i));
            DibSection indexedFrom = linearFrom;
            DibSection linearTo = filled(131, 67, 0), indexedTo = linearTo;
            ColourReduceDib linear, indexed;
            linear.setSearch(ColourReduceDib::Search::Linear);
            linear.applyPalette(linearFrom, linearTo, palettes[i], diffuse);
            indexed.applyPalette(indexedFrom, indexedTo, palettes[i], diffuse);
            auto same = [](const DibSection& a, const DibSection& b) {
                return std::equal(a.dibSectionBitsPtr(), a.dibSectionBitsPtr() + a.sizeImage(),
                                  b.dibSectionBitsPtr());
            };
            EXPECT_TRUE(same(linearTo, indexedTo)) << "palette " << i << " diffuse " << diffuse;
            EXPECT_TRUE(same(linearFrom, indexedFrom)) << "palette " << i;
        }
    }
}

TEST(ImagingNearestColour, TableLookupMatchesABruteForceSearch) {
    std::vector<std::vector<PaletteEntry>> tables;
    for (auto build : {&Palette::createHalfTone, &Palette::createWebSafe, &Palette::create16Colour,
                       &Palette::createMono}) {
        Palette p;
        (p.*build)();
        tables.emplace_back(p.entries().begin(), p.entries().end());
    }
    std::mt19937 random(9);
    for (const auto& table : tables) {
        for (ColourDistance metric :
             {ColourDistance::SumOfSquares, ColourDistance::SumOfAbsolute}) {
            NearestColour nearest(table, metric);
            for (int n = 0; n < 20000; ++n) {
                const std::uint32_t c = n < 256 ? n * 0x010101u : random() & 0xFFFFFF;
                const int r = static_cast<int>(c >> 16), g = (c >> 8) & 0xFF, b = c & 0xFF;
                int best = 0, bestDistance = 1 << 30;
                for (std::size_t i = 0; i < table.size(); ++i) {
                    const int dr = r - table[i].red, dg = g - table[i].green,
                              db = b - table[i].blue;
                    const int d = metric == ColourDistance::SumOfSquares
                                      ? dr * dr + dg * dg + db * db
                                      : std::abs(dr) + std::abs(dg) + std::abs(db);
                    if (d < bestDistance) bestDistance = d, best = static_cast<int>(i) + 1;
                }
                ASSERT_EQ(nearest.find(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                       static_cast<std::uint8_t>(b)),
                          best)
                    << std::hex << c << " in a table of " << std::dec << table.size();
            }
        }
    }
}

}  // namespace
}  // namespace veilora::imaging
