#include "monitor/screen_point.h"

#include <algorithm>

namespace veilora {

std::optional<ScreenPoint> clampToScreen(ScreenPoint point, const ScreenRect& screen) {
    if (screen.width <= 0 || screen.height <= 0) return std::nullopt;
    const long long right = static_cast<long long>(screen.left) + screen.width - 1;
    const long long bottom = static_cast<long long>(screen.top) + screen.height - 1;
    const auto reachable = [](long long v, long long low, long long high, long long reach) {
        return v >= low - reach && v <= high + reach;
    };
    if (!reachable(point.x, screen.left, right, screen.width) ||
        !reachable(point.y, screen.top, bottom, screen.height)) {
        return std::nullopt;
    }
    return ScreenPoint{static_cast<int>(std::clamp<long long>(point.x, screen.left, right)),
                       static_cast<int>(std::clamp<long long>(point.y, screen.top, bottom))};
}

}  // namespace veilora
