// The Volume dialog's slider: eleven positions, 0 to 10, over the mixer's 0 to 65535. One
// step is 6553.5 levels; results go to the nearest whole number, a half to the even one.
#pragma once

#include <cstdint>

namespace veilora {

inline constexpr int kVolumeSliderMax = 10;

// Levels above 65535 (a mixer that reports more) show as the top position.
int sliderPositionFromLevel(std::uint32_t level);
// Positions outside 0 to 10 count as the nearest end.
std::uint32_t levelFromSliderPosition(int position);

}  // namespace veilora
