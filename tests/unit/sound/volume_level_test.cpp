#include "sound/volume_level.h"

#include <gtest/gtest.h>

namespace veilora {
namespace {

TEST(VolumeLevel, EachPositionStoresItsLevelWithHalvesToTheEvenNeighbour) {
    const std::uint32_t expected[] = {0,     6554,  13107, 19660, 26214, 32768,
                                      39321, 45874, 52428, 58982, 65535};
    for (int position = 0; position <= 10; ++position) {
        EXPECT_EQ(levelFromSliderPosition(position), expected[position]) << position;
        EXPECT_EQ(sliderPositionFromLevel(expected[position]), position) << position;
    }
}

TEST(VolumeLevel, LevelsShowAsTheNearestPosition) {
    EXPECT_EQ(sliderPositionFromLevel(3276), 0);  // just under half a step
    EXPECT_EQ(sliderPositionFromLevel(3277), 1);
    EXPECT_EQ(sliderPositionFromLevel(50), 0);  // the lowered level
    EXPECT_EQ(sliderPositionFromLevel(62258), 9);
    EXPECT_EQ(sliderPositionFromLevel(62259), 10);
    EXPECT_EQ(sliderPositionFromLevel(0xFFFFFFFFu), 10);
    EXPECT_EQ(levelFromSliderPosition(-3), 0u);
    EXPECT_EQ(levelFromSliderPosition(11), 65535u);
}

}  // namespace
}  // namespace veilora
