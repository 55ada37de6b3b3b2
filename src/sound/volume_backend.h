// Which volume control reaches the speakers, and the scale of the default speakers' endpoint.
//
// From version 6 on the mixer's volume belongs to the calling program's own audio session, so
// lowering it silences nothing the user hears; the default render endpoint's master volume
// does. Both are driven through the same port on the program's 0 to 65535 scale.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "ports/ports.h"

namespace veilora {

enum class VolumeBackend { Endpoint, Mixer };

// The endpoint's master volume runs from 0.0 to 1.0. The mapping is exact both ways: every
// level, the near-silent 50 among them, comes back as the same number.
float endpointScalarFromLevel(std::uint32_t level);
std::uint32_t levelFromEndpointScalar(float scalar);

// Chosen once at start-up: on version 6 and later the endpoint when it answers a read and a
// write of the level just read (some systems read but refuse to write); otherwise the mixer.
VolumeBackend chooseVolumeBackend(int osMajorVersion, Volume& endpoint);
std::string_view volumeBackendName(VolumeBackend backend);

// What really happened to a level write, for the trace: whether the control took it and what
// it held afterwards (-1 when nothing could be read).
void traceLevelWrite(TraceSink& trace, bool written, std::optional<std::uint32_t> readBack);

// "Mute sound" can be changed only where the chosen control sets what the user hears.
bool muteSoundReachesSpeakers(int osMajorVersion, VolumeBackend backend);

}  // namespace veilora
