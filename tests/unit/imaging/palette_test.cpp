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

std::set<std::uint32_t> coloursOf(const Palette& p) {
    std::set<std::uint32_t> out;
    for (const auto& e : p.entries()) out.insert(e.red << 16 | e.green << 8 | e.blue);
    return out;
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

TEST(ImagingPalette, WebSafeAndSixteenColoursHoldTheirListedEntries) {
    Palette web;
    web.createWebSafe();
    ASSERT_EQ(web.count(), 256);
    const std::pair<int, PaletteEntry> listed[] = {
        {8, rgb(192, 192, 192)},   {9, rgb(51, 0, 0)},  // black is a corner already held
        {216, rgb(204, 255, 255)}, {217, rgb(8, 8, 8)},       {247, rgb(248, 248, 248)},
        {248, rgb(128, 128, 128)}, {255, rgb(255, 255, 255)}, {256, rgb(0, 0, 0)}};
    for (auto [index, colour] : listed) EXPECT_EQ(web.at(index), colour) << index;
    // Entry 256 repeats black; the greys 128 and 192 repeat two standard colours.
    EXPECT_EQ(coloursOf(web).size(), 253u);

    Palette sixteen;
    sixteen.create16Colour();
    ASSERT_EQ(sixteen.count(), 16);
    EXPECT_EQ(coloursOf(sixteen),
              (std::set<std::uint32_t>{0, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                       0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                       0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF}));
    EXPECT_EQ(sixteen.at(9), rgb(128, 128, 128));  // the high set starts at 9
    EXPECT_THROW(sixteen.red(17), std::out_of_range);
    EXPECT_THROW(sixteen.red(0), std::out_of_range);
}

TEST(ImagingPalette, ClosestIndexUsesAbsoluteDifferencesAndLowestIndexOnTies) {
    Palette p;
    EXPECT_EQ(p.closestIndex(10, 10, 10), 0);
    p.add(0, 0, 0);
    p.add(20, 20, 20);
    p.add(20, 20, 20);
    EXPECT_EQ(p.closestIndex(10, 10, 10), 1);
    EXPECT_EQ(p.closestIndex(20, 20, 20), 2);
    Palette q;
    q.add(30, 0, 0);    // absolute 30, squared 900
    q.add(12, 12, 12);  // absolute 36, squared 432
    EXPECT_EQ(q.closestIndex(0, 0, 0), 1);
    Palette white;
    white.add(255, 255, 255);
    EXPECT_EQ(white.closestIndex(0, 0, 0), 0);  // the full 765 never counts as near
}

TEST(ImagingPalette, RawRecordsRoundTripAtAPositionAndCheckTheirCount) {
    ScratchDir dir;
    Palette p;
    p.createHalfTone();
    ASSERT_TRUE(p.save(dir / "p.raw", 10));
    auto bytes = readBytes(dir / "p.raw");
    ASSERT_EQ(bytes.size(), 10u + 4 + 1024);
    EXPECT_EQ(le(bytes, 10), 256u);
    EXPECT_EQ(bytes[14 + 4], 64);  // entry 2, red
    Palette back;
    std::int64_t position = 10;
    ASSERT_TRUE(back.load(dir / "p.raw", position));
    EXPECT_EQ(position, 10 + 4 + 1024);  // just after the record
    EXPECT_TRUE(std::equal(p.entries().begin(), p.entries().end(), back.entries().begin()));
    position = -5;
    EXPECT_FALSE(back.load(dir / "p.raw", position));  // from 0, where the count is 0
    EXPECT_EQ(position, 0);

    auto writeRaw = [&](std::uint32_t count, std::size_t entryBytes) {
        std::ofstream out(dir / "r.raw", std::ios::binary);
        for (int i = 0; i < 4; ++i) out.put(static_cast<char>(count >> (8 * i)));
        out << std::string(entryBytes, '\x7f');
    };
    for (std::uint32_t count : {4098u, 0xFFFFFFFFu, 0u}) {
        writeRaw(count, 4098 * 4);
        EXPECT_FALSE(back.load(dir / "r.raw"));
        EXPECT_EQ(back.count(), 256);  // refused counts leave it as it was
    }
    writeRaw(3, 5);  // a short read keeps the new size with what came
    EXPECT_FALSE(back.load(dir / "r.raw"));
    ASSERT_EQ(back.count(), 3);
    EXPECT_EQ(back.at(1).reserved, 0x7f);
    EXPECT_EQ(back.at(2), PaletteEntry{});
}

TEST(ImagingPalette, JascFileIsExactTextAndSkipsLinesWithoutThreeParts) {
    ScratchDir dir;
    Palette p;
    p.add(1, 20, 255);
    p.add(0, 0, 0);
    ASSERT_TRUE(p.saveToJascFile(dir / "p.pal"));
    const auto bytes = readBytes(dir / "p.pal");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "JASC\r\n0100\r\n2\r\n1 20 255\r\n0 0 0");

    p.loadFromJascText("JASC\r\n0100\r\n4\r\n1  2 3\r\n4 5 6\r\n7 8\r\n\r\n010 011 012");
    ASSERT_EQ(p.count(), 2);
    EXPECT_EQ(p.at(1), rgb(4, 5, 6));
    EXPECT_EQ(p.at(2), rgb(10, 11, 12));
}

TEST(ImagingPalette, BadJascContentsAreErrorsNamingThePalette) {
    auto errorOf = [](const std::string& text) {
        Palette p;
        try {
            p.loadFromJascText(text);
        } catch (const ImagingError& e) {
            EXPECT_EQ(e.source(), "veilora.cPalette");
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(errorOf("1 2 x"), 13);
    EXPECT_EQ(errorOf("1 2 "), 13);
    EXPECT_EQ(errorOf("1 2 256"), 6);
    EXPECT_EQ(errorOf("1 -2 99999999999999999999"), 6);
    std::string many;
    for (int i = 0; i < 4098; ++i) many += "1 2 3\r\n";
    EXPECT_EQ(errorOf(many), 321);

    ScratchDir dir;
    Palette p;
    std::ofstream(dir / "huge.pal") << std::string(2 << 20, ' ');
    EXPECT_THROW(p.loadFromJascFile(dir / "huge.pal"), ImagingError);
    try {
        p.loadFromJascFile(dir / "absent.pal");
        FAIL();
    } catch (const ImagingError& e) {
        EXPECT_EQ(e.number(), 53);
    }
}

TEST(ImagingOctree, FewColoursComeBackExactly) {
    DibSection d = filled(6, 4, 0x000000);
    setRgb(d, 1, 0, 0xFF0000);
    setRgb(d, 2, 0, 0x00FF00);
    setRgb(d, 3, 3, 0x0000FF);
    setRgb(d, 4, 2, 0x808080);
    Palette p;
    long initMax = -1, completes = 0;
    p.events().initProgress = [&](long max) { initMax = max; };
    p.events().complete = [&](long) { ++completes; };
    p.createOptimal(d, 236, 6);
    EXPECT_EQ(initMax, 3 + 236);
    EXPECT_EQ(completes, 1);
    EXPECT_EQ(coloursOf(p), (std::set<std::uint32_t>{0, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080}));
    EXPECT_EQ(p.count(), 5);
}

TEST(ImagingOctree, PhotographFitsTheLimitAndImpossibleLimitsAreErrors) {
    DibSection d = photoLike(320, 200);
    Palette p;
    p.createOptimal(d, 236, 6);
    EXPECT_LE(p.count(), 236);
    EXPECT_GT(p.count(), 100);
    p.createOptimal(d, 8, 2);
    EXPECT_LE(p.count(), 8);

    EXPECT_THROW(p.createOptimal(d, 4, 1), ReductionError);
    EXPECT_LE(p.count(), 8);  // unchanged
    EXPECT_THROW(p.createOptimal(d, 236, 9), std::out_of_range);
}

}  // namespace
}  // namespace veilora::imaging
