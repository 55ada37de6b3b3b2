#include "imaging/palette.h"

#include <gtest/gtest.h>

#include <set>

#include "imaging/imaging_error.h"
#include "imaging_test_support.h"

namespace veilora::imaging {
namespace {
using namespace testing;

PaletteEntry rgb(int r, int g, int b) {
    return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
            static_cast<std::uint8_t>(b), 0};
}

TEST(ImagingPalette, HalfToneIsAFiveLevelCubeRedFastestThenBlack) {
    Palette p;
    p.createHalfTone();
    ASSERT_EQ(p.count(), 256);
    const int level[5] = {0, 64, 128, 192, 255};
    for (int i = 0; i < 125; ++i) {
        EXPECT_EQ(p.at(i + 1), rgb(level[i % 5], level[i / 5 % 5], level[i / 25])) << i + 1;
    }
    for (int i = 126; i <= 256; ++i) EXPECT_EQ(p.at(i), rgb(0, 0, 0)) << i;
}

TEST(ImagingPalette, WebSafeHasStandardColoursCubeAndGreys) {
    Palette p;
    p.createWebSafe();
    ASSERT_EQ(p.count(), 256);
    EXPECT_EQ(p.at(2), rgb(128, 0, 0));
    EXPECT_EQ(p.at(8), rgb(192, 192, 192));
    EXPECT_EQ(p.at(9), rgb(51, 0, 0));  // (0,0,0) is a corner the standard colours hold
    EXPECT_EQ(p.at(216), rgb(204, 255, 255));
    EXPECT_EQ(p.at(217), rgb(8, 8, 8));
    EXPECT_EQ(p.at(247), rgb(248, 248, 248));
    EXPECT_EQ(p.at(248), rgb(128, 128, 128));
    EXPECT_EQ(p.at(255), rgb(255, 255, 255));
    EXPECT_EQ(p.at(256), rgb(0, 0, 0));
    std::set<std::uint32_t> distinct;
    for (const auto& e : p.entries()) distinct.insert(e.red << 16 | e.green << 8 | e.blue);
    // Entry 256 repeats black; the greys 128 and 192 repeat two standard colours.
    EXPECT_EQ(distinct.size(), 253u);
}

TEST(ImagingPalette, SixteenColoursAndMono) {
    Palette p;
    p.create16Colour();
    const PaletteEntry expected[16] = {
        rgb(0, 0, 0),       rgb(128, 0, 0),   rgb(0, 128, 0),   rgb(128, 128, 0),
        rgb(0, 0, 128),     rgb(128, 0, 128), rgb(0, 128, 128), rgb(192, 192, 192),
        rgb(128, 128, 128), rgb(255, 0, 0),   rgb(0, 255, 0),   rgb(255, 255, 0),
        rgb(0, 0, 255),     rgb(255, 0, 255), rgb(0, 255, 255), rgb(255, 255, 255)};
    ASSERT_EQ(p.count(), 16);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(p.at(i + 1), expected[i]) << i + 1;
    p.createMono();
    ASSERT_EQ(p.count(), 2);
    EXPECT_EQ(p.at(2), rgb(255, 255, 255));
    EXPECT_THROW(p.red(3), std::out_of_range);
    EXPECT_THROW(p.red(0), std::out_of_range);
}

TEST(ImagingPalette, ClosestIndexUsesAbsoluteDifferencesAndLowestIndexOnTies) {
    Palette p;
    EXPECT_EQ(p.closestIndex(10, 10, 10), 0);
    p.add(0, 0, 0);
    p.add(20, 20, 20);
    p.add(20, 20, 20);
    EXPECT_EQ(p.closestIndex(10, 10, 10), 1);  // equally far from 1 and 2
    EXPECT_EQ(p.closestIndex(20, 20, 20), 2);
    Palette q;
    q.add(30, 0, 0);    // absolute 30, squared 900
    q.add(12, 12, 12);  // absolute 36, squared 432
    EXPECT_EQ(q.closestIndex(0, 0, 0), 1);
    Palette white;
    white.add(255, 255, 255);
    EXPECT_EQ(white.closestIndex(0, 0, 0), 0);  // the full 765 never counts as near
    EXPECT_EQ(white.closestIndex(0, 0, 1), 1);
}

TEST(ImagingPalette, RawRecordAtAPositionRoundTripsAndReturnsTheNextPosition) {
    ScratchDir dir;
    Palette p;
    p.createHalfTone();
    ASSERT_TRUE(p.save(dir / "p.raw", 10));
    const auto bytes = readBytes(dir / "p.raw");
    ASSERT_EQ(bytes.size(), 10u + 4 + 1024);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(le(bytes, 10), 256u);
    EXPECT_EQ(bytes[14 + 4], 64);  // entry 2, red

    Palette back;
    std::int64_t position = 10;
    ASSERT_TRUE(back.load(dir / "p.raw", position));
    EXPECT_EQ(position, 10 + 4 + 1024);
    EXPECT_TRUE(std::equal(p.entries().begin(), p.entries().end(), back.entries().begin()));

    std::int64_t negative = -5;
    EXPECT_FALSE(back.load(dir / "p.raw", negative));  // reads from 0, where the count is 0
    EXPECT_EQ(negative, 0);
    EXPECT_EQ(back.count(), 256);
}

TEST(ImagingPalette, RawRecordCountIsCheckedBeforeUse) {
    ScratchDir dir;
    Palette p;
    p.createMono();
    auto writeRaw = [&](std::uint32_t count, std::size_t entryBytes) {
        std::ofstream out(dir / "r.raw", std::ios::binary);
        const char c[4] = {static_cast<char>(count), static_cast<char>(count >> 8),
                           static_cast<char>(count >> 16), static_cast<char>(count >> 24)};
        out.write(c, 4);
        out << std::string(entryBytes, '\x7f');
    };
    writeRaw(4098, 4098 * 4);
    EXPECT_FALSE(p.load(dir / "r.raw"));
    writeRaw(0xFFFFFFFF, 16);
    EXPECT_FALSE(p.load(dir / "r.raw"));
    writeRaw(0, 0);
    EXPECT_FALSE(p.load(dir / "r.raw"));
    EXPECT_EQ(p.count(), 2);  // refused counts leave it as it was

    writeRaw(3, 5);  // a short read keeps the new size with what came
    EXPECT_FALSE(p.load(dir / "r.raw"));
    ASSERT_EQ(p.count(), 3);
    EXPECT_EQ(p.at(1).reserved, 0x7f);
    EXPECT_EQ(p.at(2), PaletteEntry{});
    EXPECT_FALSE(p.load(dir / "absent.raw"));
}

TEST(ImagingPalette, JascFileIsExactTextAndLoadsBack) {
    ScratchDir dir;
    Palette p;
    p.add(1, 20, 255);
    p.add(0, 0, 0);
    ASSERT_TRUE(p.saveToJascFile(dir / "p.pal"));
    const auto bytes = readBytes(dir / "p.pal");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "JASC\r\n0100\r\n2\r\n1 20 255\r\n0 0 0");
    Palette back;
    back.add(9, 9, 9);
    ASSERT_TRUE(back.loadFromJascFile(dir / "p.pal"));
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.at(1), rgb(1, 20, 255));
}

TEST(ImagingPalette, JascLinesWithoutExactlyThreePartsAreSkipped) {
    Palette p;
    p.loadFromJascText("JASC\r\n0100\r\n4\r\n1  2 3\r\n4 5 6\r\n7 8\r\n\r\n010 011 012");
    ASSERT_EQ(p.count(), 2);
    EXPECT_EQ(p.at(1), rgb(4, 5, 6));
    EXPECT_EQ(p.at(2), rgb(10, 11, 12));
}

TEST(ImagingPalette, BadJascContentsAreErrorsNamingThePalette) {
    ScratchDir dir;
    auto errorOf = [](const std::string& text) {
        Palette p;
        try {
            p.loadFromJascText(text);
        } catch (const ImagingError& e) {
            EXPECT_EQ(e.source(), "veilora.cPalette");
            EXPECT_EQ(p.count(), 0);
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(errorOf("1 2 x"), 13);
    EXPECT_EQ(errorOf("1 2 "), 13);
    EXPECT_EQ(errorOf("1 2 256"), 6);
    EXPECT_EQ(errorOf("1 2 99999999999999999999"), 6);
    EXPECT_EQ(errorOf("1 -2 3"), 6);
    std::string many;
    for (int i = 0; i < 4098; ++i) many += "1 2 3\r\n";
    EXPECT_EQ(errorOf(many), 321);

    Palette p;
    try {
        p.loadFromJascFile(dir / "absent.pal");
        FAIL();
    } catch (const ImagingError& e) {
        EXPECT_EQ(e.number(), 53);
    }
    std::ofstream(dir / "huge.pal") << std::string(2 << 20, ' ');
    EXPECT_THROW(p.loadFromJascFile(dir / "huge.pal"), ImagingError);
}

TEST(ImagingOctree, FewColoursComeBackExactlyInNodeOrder) {
    DibSection d = filled(6, 4, 0x000000);
    setRgb(d, 1, 0, 0xFF0000);
    setRgb(d, 2, 0, 0x00FF00);
    setRgb(d, 3, 3, 0x0000FF);
    setRgb(d, 4, 2, 0x808080);
    Palette p;
    int initMax = -1, completes = 0;
    p.events().initProgress = [&](long max) { initMax = static_cast<int>(max); };
    p.events().complete = [&](long) { ++completes; };
    p.createOptimal(d, 236, 6);
    EXPECT_EQ(initMax, 3 + 236);
    EXPECT_EQ(completes, 1);
    ASSERT_EQ(p.count(), 5);
    std::set<std::uint32_t> got;
    for (const auto& e : p.entries()) got.insert(e.red << 16 | e.green << 8 | e.blue);
    EXPECT_EQ(got, (std::set<std::uint32_t>{0, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080}));
    // Memory starts at the bottom row: the blue pixel of the top row is inserted last.
    EXPECT_EQ(p.at(1), rgb(0, 0, 0));
}

TEST(ImagingOctree, PhotographFitsTheLimit) {
    DibSection d = photoLike(320, 200);
    Palette p;
    p.createOptimal(d, 236, 6);
    EXPECT_LE(p.count(), 236);
    EXPECT_GT(p.count(), 100);
    p.createOptimal(d, 8, 2);
    EXPECT_LE(p.count(), 8);
}

TEST(ImagingOctree, ImpossibleReductionIsReportedNotFatal) {
    DibSection d = photoLike(64, 64);
    Palette p;
    p.add(1, 2, 3);
    EXPECT_THROW(p.createOptimal(d, 4, 1), ReductionError);
    EXPECT_EQ(p.count(), 1);
    EXPECT_THROW(p.createOptimal(d, 236, 9), std::out_of_range);
    EXPECT_THROW(p.createOptimal(d, 236, 0), std::out_of_range);
}

}  // namespace
}  // namespace veilora::imaging
