#include "monitor/screen_point.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace veilora {
namespace {

// A point pushed past the edge counts as the edge; one far off every screen is no point.
TEST(ClampToScreen, PointsPastTheEdgeLandOnItAlsoAtTheCornersOfASecondMonitor) {
    // 1024 x 768 primary, an 800 x 600 monitor to its right.
    const ScreenRect sideBySide{0, 0, 1824, 768};
    // A 1280 x 1024 monitor to the left of the primary, higher up.
    const ScreenRect leftAndAbove{-1280, -256, 2304, 1024};
    using P = ScreenPoint;
    const std::tuple<ScreenRect, P, std::optional<P>> cases[] = {
        {sideBySide, {-7, 300}, P{0, 300}}, {sideBySide, {-40, -25}, P{0, 0}},
        {sideBySide, {1900, -3}, P{1823, 0}}, {sideBySide, {1830, 599}, P{1823, 599}},  // its corners
        {sideBySide, {500, 800}, P{500, 767}}, {sideBySide, {1023, 767}, P{1023, 767}},  // on screen
        {leftAndAbove, {-1300, -300}, P{-1280, -256}}, {leftAndAbove, {1100, 800}, P{1023, 767}},
        {sideBySide, {-32000, -32000}, std::nullopt},  // where minimized windows are parked
        {leftAndAbove, {-32000, 0}, std::nullopt}, {ScreenRect{}, {0, 0}, std::nullopt}};
    for (const auto& [screen, point, expected] : cases)
        EXPECT_EQ(clampToScreen(point, screen), expected) << point.x << "," << point.y;
}

}  // namespace
}  // namespace veilora
