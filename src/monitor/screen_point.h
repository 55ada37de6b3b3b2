// Where a point the mouse hook reports lies on the screens.
//
// The hook can report the unclipped point when the mouse is pushed past the edge of the
// screen (a fast flick into a corner). That is the person reaching for the edge, so it counts
// as the edge itself.
#pragma once

#include <optional>

namespace veilora {

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The virtual screen: the rectangle around every monitor.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The point clamped to the virtual screen. Points farther off than the screen's own size are
// none a mouse can reach (the place minimized windows are parked at): nullopt.
std::optional<ScreenPoint> clampToScreen(ScreenPoint point, const ScreenRect& screen);

}  // namespace veilora
