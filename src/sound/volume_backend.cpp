#include "sound/volume_backend.h"

#include <cmath>

namespace veilora {

namespace {
constexpr std::uint32_t kTopLevel = 65535;
constexpr int kFirstSessionVolumeVersion = 6;  // the mixer no longer reaches the speakers
}  // namespace

float endpointScalarFromLevel(std::uint32_t level) {
    if (level >= kTopLevel) return 1.0f;
    return static_cast<float>(static_cast<double>(level) / kTopLevel);
}

std::uint32_t levelFromEndpointScalar(float scalar) {
    // Written so that NaN, too, is silence.
    if (!(scalar > 0.0f)) return 0;
    if (scalar >= 1.0f) return kTopLevel;
    // A float holds the level's fraction to within far less than half a level.
    return static_cast<std::uint32_t>(std::lround(static_cast<double>(scalar) * kTopLevel));
}

VolumeBackend chooseVolumeBackend(int osMajorVersion, Volume& endpoint) {
    if (osMajorVersion < kFirstSessionVolumeVersion) return VolumeBackend::Mixer;
    const std::optional<std::uint32_t> level = endpoint.getMixerControlValue();
    if (level && endpoint.setMixerControlValue(*level)) return VolumeBackend::Endpoint;
    return VolumeBackend::Mixer;
}

std::string_view volumeBackendName(VolumeBackend backend) {
    return backend == VolumeBackend::Endpoint ? "endpoint" : "mixer";
}

void traceLevelWrite(TraceSink& trace, bool written, std::optional<std::uint32_t> readBack) {
    trace.event("level-write-result", written ? 1 : 0);
    trace.event("level-read-back", readBack ? static_cast<long long>(*readBack) : -1);
}

bool muteSoundReachesSpeakers(int osMajorVersion, VolumeBackend backend) {
    return osMajorVersion < kFirstSessionVolumeVersion || backend == VolumeBackend::Endpoint;
}

}  // namespace veilora
