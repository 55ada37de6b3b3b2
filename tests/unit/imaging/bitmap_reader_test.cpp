#include "imaging/bitmap_reader.h"

#include <gtest/gtest.h>

#include "imaging_test_support.h"

namespace veilora::imaging {
namespace {
using namespace testing;

TEST_F(ImagingBitmapReader, ReadsBottomUpTopDownAndLongerHeaders) {
    for (std::size_t row = 0; row < 5; ++row) good[54 + 24 * row + 21] = 0xEE;  // padding
    EXPECT_TRUE(readsBack(good)) << "the padding read is not kept: " << error;
    EXPECT_TRUE(readsBack({good.begin(), good.end() - 3})) << "no last padding: " << error;
    auto topDown = changed(22, static_cast<std::uint32_t>(-5));
    for (int row = 0; row < 5; ++row) {
        std::copy_n(good.begin() + 54 + 24 * (4 - row), 24, topDown.begin() + 54 + 24 * row);
    }
    EXPECT_TRUE(readsBack(topDown)) << error;
    auto v5 = changed(14, 124);  // a longer info header
    v5.insert(v5.begin() + 54, 84, 0);
    v5[10] = 54 + 84;
    EXPECT_TRUE(readsBack(v5)) << error;
}

TEST_F(ImagingBitmapReader, RefusesWhatItCannotReadWithAReason) {
    const std::pair<std::vector<std::uint8_t>, const char*> cases[] = {
        {{}, "not a bitmap"},           {changed(0, 'B' | 'X' << 8), "not a bitmap"},
        {changed(14, 12), "12 bytes"},  {changed(14, 0xFFFFFFF0), "header"},
        {changed(30, 1), "compressed"}, {changed(28, 0x1800), "6144 bits per pixel"},
        {changed(18, 0), "width"},      {changed(26, 2 | 24 << 16), "2 planes"},
        {changed(22, 0), "height"},     {changed(10, 50), "offset"},
        {changed(22, 0x7FFFFFFF), "cut short"},
        {changed(18, 0x7FFFFFFF), "cut short"},
        {changed(18, 0x80000000), "width"},       {changed(22, 0x80000000), "height"},
        {changed(28, 32), "32 bits per pixel"},  {{good.begin(), good.end() - 4}, "cut short"},
    };
    for (const auto& [bytes, reason] : cases) {
        EXPECT_FALSE(readBitmap(bytes, read, error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        EXPECT_TRUE(read.empty());
    }
    EXPECT_FALSE(readBitmapFile("/nonexistent/absent.bmp", read, error));
    EXPECT_NE(error.find("No such file"), std::string::npos);
}

}  // namespace
}  // namespace veilora::imaging
