#include "sound/volume_level.h"

#include <algorithm>

namespace veilora {

namespace {
// One slider step is 13107 / 2 levels; working in halves keeps everything exact.
constexpr std::uint64_t kStepTimesTwo = 13107;

// numerator / denominator to the nearest whole number, a half to the even neighbour.
std::uint64_t roundHalfEven(std::uint64_t numerator, std::uint64_t denominator) {
    const std::uint64_t quotient = numerator / denominator;
    const std::uint64_t twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator) return quotient + 1;
    if (twiceRest == denominator && quotient % 2 == 1) return quotient + 1;
    return quotient;
}
}  // namespace

int sliderPositionFromLevel(std::uint32_t level) {
    const std::uint64_t position = roundHalfEven(2 * std::uint64_t{level}, kStepTimesTwo);
    return static_cast<int>(std::min<std::uint64_t>(position, kVolumeSliderMax));
}

std::uint32_t levelFromSliderPosition(int position) {
    const int clamped = std::clamp(position, 0, kVolumeSliderMax);
    return static_cast<std::uint32_t>(
        roundHalfEven(static_cast<std::uint64_t>(clamped) * kStepTimesTwo, 2));
}

}  // namespace veilora
