#include "imaging/palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "imaging/imaging_error.h"
#include "imaging_test_support.h"
#include "support/octree_reference.h"

namespace veilora::imaging {
namespace {
using namespace testing;

// Entries count from 1; the 16-colour and halftone palettes show in the saved files.
TEST(ImagingPalette, FixedPalettesHoldTheirListedEntries) {
    Palette web;
    web.createWebSafe();
    ASSERT_EQ(web.count(), 256);
    // Black is a corner the standard colours hold already; entry 256 stays black.
    const std::uint32_t expected[][2] = {{8, 0xC0C0C0},   {9, 0x330000},   {216, 0xCCFFFF},
                                         {217, 0x080808}, {247, 0xF8F8F8}, {256, 0}};
    for (const auto& [index, colour] : expected) EXPECT_EQ(web.at(index), rgb(colour)) << index;
    Palette half, sixteen, mono;
    half.createHalfTone();
    EXPECT_EQ(half.at(2), rgb(0x400000));  // red varies fastest
    EXPECT_EQ(half.at(125), rgb(0xFFFFFF));
    EXPECT_EQ(half.at(126), rgb(0));
    sixteen.create16Colour();
    EXPECT_EQ(sixteen.at(9), rgb(0x808080));
    EXPECT_EQ(sixteen.at(16), rgb(0xFFFFFF));
    mono.createMono();
    EXPECT_EQ(mono.at(2), rgb(0xFFFFFF));
    EXPECT_THROW(mono.red(0), std::out_of_range);
    EXPECT_THROW(mono.red(3), std::out_of_range);
}

TEST(ImagingPalette, ClosestIndexUsesAbsoluteDifferencesAndLowestIndexOnTies) {
    EXPECT_EQ(paletteOf({0, 0x141414, 0x141414}).closestIndex(20, 20, 20), 2);
    // Absolute 30 against 36, though squared 900 against 432.
    EXPECT_EQ(paletteOf({0x1E0000, 0x0C0C0C}).closestIndex(0, 0, 0), 1);
    EXPECT_EQ(paletteOf({0xFFFFFF}).closestIndex(0, 0, 0), 0);  // 765 away is never near
    EXPECT_EQ(Palette().closestIndex(0, 0, 0), 0);
}

TEST(ImagingPalette, RawRecordsRoundTripAtAPositionAndCheckTheirCount) {
    ScratchDir dir;
    Palette p, back;
    p.createHalfTone();
    ASSERT_TRUE(p.save(dir / "p.raw", 10));
    std::int64_t position = 10;
    ASSERT_TRUE(back.load(dir / "p.raw", position));
    EXPECT_EQ(position, 10 + 4 + 1024);  // just after the record
    EXPECT_TRUE(std::ranges::equal(p.entries(), back.entries()));
    position = -5;
    EXPECT_FALSE(back.load(dir / "p.raw", position));  // from 0, where the count is 0
    EXPECT_EQ(position, 0);

    auto loadRaw = [&](std::uint32_t count, std::size_t entryBytes) {
        std::ofstream(dir / "r.raw", std::ios::binary)
            << std::string{char(count), char(count >> 8), char(count >> 16), char(count >> 24)}
            << std::string(entryBytes, '\x7f');
        return back.load(dir / "r.raw");
    };
    ASSERT_TRUE(loadRaw(4097, 4097 * 4));  // the most a record may hold
    EXPECT_FALSE(loadRaw(4098, 4098 * 4));
    EXPECT_FALSE(loadRaw(3, 5));  // a short read keeps the new size with what came
    EXPECT_EQ(back.at(2), PaletteEntry{});
}

TEST(ImagingPalette, JascFilesAreExactTextAndBadContentsAreErrorsNamingThePalette) {
    ScratchDir dir;
    Palette p = paletteOf({0x0114FF, 0});
    ASSERT_TRUE(p.saveToJascFile(dir / "p.pal"));
    const auto bytes = readBytes(dir / "p.pal");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "JASC\r\n0100\r\n2\r\n1 20 255\r\n0 0 0");
    // Only lines of exactly three parts are colours.
    p.loadFromJascText("JASC\r\n0100\r\n4\r\n1  2 3\r\n4 5 6\r\n7 8\r\n\r\n010 011 012\r\n-0 0 0");
    ASSERT_EQ(p.count(), 3);
    EXPECT_EQ(p.at(2), rgb(0x0A0B0C));

    std::string many;
    for (int i = 0; i < 4098; ++i) many += "1 2 3\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {"1 2 x", "13 veilora.cPalette: Type mismatch"},
        {"1  2", "13 veilora.cPalette: Type mismatch"},
        {"1 -2 3", "6 veilora.cPalette: Overflow"},
        {"1 2 256", "6 veilora.cPalette: Overflow"},
        {many, "321 veilora.cPalette: Invalid file format"},
        {std::string(2 << 20, ' '), "321 veilora.cPalette: Invalid file format"}};
    for (const auto& [text, said] : cases) {
        std::ofstream(dir / "bad.pal") << text;
        EXPECT_EQ(imagingErrorOf([&] { p.loadFromJascFile(dir / "bad.pal"); }), said);
    }
}

TEST(ImagingOctree, FewColoursComeBackExactly) {
    DibSection d = filled(6, 4, 0);
    setRgb(d, 1, 0, 0xFF8000);
    setRgb(d, 3, 3, 0x0000FF);
    setRgb(d, 5, 2, 0x808080);  // the last column
    Palette p;
    long initMax = -1;
    p.events().initProgress = [&](long max) { initMax = max; };
    p.createOptimal(d, 236, 6);
    EXPECT_EQ(initMax, 3 + 236);
    std::set<std::uint32_t> colours;
    for (const auto& e : p.entries()) colours.insert(e.red << 16 | e.green << 8 | e.blue);
    EXPECT_EQ(colours, (std::set<std::uint32_t>{0, 0xFF8000, 0x0000FF, 0x808080}));
    p.createOptimal(d, 4, 6);
    EXPECT_EQ(p.count(), 4) << "as many colours as asked for need no reduction";

    // Merged leaves take their pixels' mean: 32 and 96 make 64.
    p.createOptimal(row({0x200000, 0x600000}), 1, 2);
    ASSERT_EQ(p.count(), 1);
    EXPECT_EQ(p.at(1), rgb(0x400000));

    // Boxes split at their midpoint rounded half to even, which goes to the lower half; a
    // leaf's colour is its pixels' mean rounded half to even (127.5 and 130.5 here).
    p.createOptimal(row({0x7F0000, 0x800000, 0x820000, 0x830000}), 8, 1);
    EXPECT_EQ(p.at(1), rgb(0x800000));
    EXPECT_EQ(p.at(2), rgb(0x820000));
}

TEST(ImagingOctree, PhotographFitsTheLimitAndImpossibleLimitsAreErrors) {
    DibSection d = photoLike(320, 200);
    Palette p;
    p.createOptimal(d, 236, 6);
    EXPECT_LE(p.count(), 236);
    EXPECT_GT(p.count(), 100);
    // The same colours in the same order as a walk from the root for every pixel, however
    // often the tree is cut back and regrown and however deep its leaves lie.
    for (auto [size, levels] : {std::pair{236, 6}, {16, 6}, {64, 8}, {300, 7}, {8, 2}, {40, 4}}) {
        p.createOptimal(d, size, levels);
        EXPECT_TRUE(std::ranges::equal(
            p.entries(), test::ReferenceOctree().createOptimal(d, size, levels).entries()))
            << size << " colours, " << levels << " levels";
    }
    p.createOptimal(d, 236, 1);  // one level: the root's eight children
    EXPECT_LE(p.count(), 8);
    const int before = p.count();
    EXPECT_THROW(p.createOptimal(d, 4, 1), ReductionError);
    EXPECT_EQ(p.count(), before) << "left as it was";
    for (int levels : {0, 9}) EXPECT_THROW(p.createOptimal(d, 236, levels), std::out_of_range);
}

}  // namespace
}  // namespace veilora::imaging
