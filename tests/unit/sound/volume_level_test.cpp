#include "sound/volume_level.h"

#include <gtest/gtest.h>

namespace veilora {
namespace {

TEST(VolumeLevel, PositionsAndLevelsMeetAtTheNearestWithHalvesToTheEvenNeighbour) {
    const std::uint32_t levels[] = {0,     6554,  13107, 19660, 26214, 32768,
                                    39321, 45874, 52428, 58982, 65535};
    for (int position = 0; position <= 10; ++position) {
        EXPECT_EQ(levelFromSliderPosition(position), levels[position]) << position;
        EXPECT_EQ(sliderPositionFromLevel(levels[position]), position) << position;
    }
    // Either side of half a step, the lowered level, and a level past the scale.
    for (auto [level, position] :
         {std::pair{3276u, 0}, {3277u, 1}, {62258u, 9}, {62259u, 10}, {0xFFFFFFFFu, 10}}) {
        EXPECT_EQ(sliderPositionFromLevel(level), position) << level;
    }
    EXPECT_EQ(levelFromSliderPosition(11), 65535u);
    EXPECT_EQ(levelFromSliderPosition(-1), 0u);
}

}  // namespace
}  // namespace veilora
