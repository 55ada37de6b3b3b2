#include "sound/volume_level.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "sound/volume_backend.h"
#include "support/fake_ports.h"

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
         {std::pair{3276u, 0}, {3277u, 1}, {62258u, 9}, {62259u, 10}, {0xFFFFFFFFu, 10}})
        EXPECT_EQ(sliderPositionFromLevel(level), position) << level;
    EXPECT_EQ(levelFromSliderPosition(11), 65535u);
    EXPECT_EQ(levelFromSliderPosition(-1), 0u);
}

TEST(EndpointScale, EveryLevelComesBackAsTheSameNumberAndScalarsOutsideTheScaleAreClamped) {
    for (std::uint32_t level = 0; level <= 65535; ++level)
        ASSERT_EQ(levelFromEndpointScalar(endpointScalarFromLevel(level)), level);
    EXPECT_EQ(endpointScalarFromLevel(0), 0.0f);
    EXPECT_EQ(endpointScalarFromLevel(65535), 1.0f);
    EXPECT_EQ(endpointScalarFromLevel(70000), 1.0f);
    EXPECT_NEAR(endpointScalarFromLevel(50), 50.0f / 65535.0f, 1e-9f);
    for (auto [scalar, level] : {std::pair{0.5f, 32768u}, {1.5f, 65535u}, {-0.1f, 0u},
                                 {std::numeric_limits<float>::quiet_NaN(), 0u}})
        EXPECT_EQ(levelFromEndpointScalar(scalar), level) << scalar;
}

// The endpoint is taken only from version 6 on, and only when it reads and then takes back
// the level it gave; mute can be changed where the chosen control reaches the speakers.
TEST(VolumeBackendChoice, TheEndpointOnlyWhenItReadsAndWritesFromVersionSixOn) {
    using enum VolumeBackend;
    // The system's version, whether the endpoint reads and writes; the backend chosen, what it
    // wrote on trial, and whether mute reaches the speakers.
    const std::tuple<int, bool, bool, VolumeBackend, const char*, bool> cases[] = {
        {5, true, true, Mixer, "", true},
        {6, true, true, Endpoint, "set-level 12345", true},
        {6, true, false, Mixer, "set-level 12345", false},  // E_NOTIMPL
        {10, false, true, Mixer, "", false}};
    for (const auto& [osMajor, reads, writes, expected, writesSeen, mute] : cases) {
        SCOPED_TRACE(::testing::Message() << osMajor << reads << writes);
        test::FakePorts endpoint;
        endpoint.level = 12345;
        endpoint.mixer = reads;
        endpoint.mixerWrites = writes;
        const VolumeBackend chosen = chooseVolumeBackend(osMajor, endpoint);
        EXPECT_EQ(chosen, expected);
        EXPECT_EQ(endpoint.took(), writesSeen);
        EXPECT_EQ(muteSoundReachesSpeakers(osMajor, chosen), mute);
    }
    EXPECT_EQ(volumeBackendName(VolumeBackend::Endpoint), "endpoint");
    EXPECT_EQ(volumeBackendName(VolumeBackend::Mixer), "mixer");
}

}  // namespace
}  // namespace veilora
