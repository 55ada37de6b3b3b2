// The speakers volume of the first mixer device, as one channel from 0 to 65535.
//
// The mixer is opened when it is first needed and again after a call failed, so a sound
// device that arrives after start-up is used. The multimedia library is loaded from the
// system folder only. Without a mixer every call quietly does nothing: reads give no level,
// writes report false.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>
#include <optional>

#include "ports/ports.h"

namespace veilora {

class MixerVolume final : public Volume {
public:
    explicit MixerVolume(TraceSink* trace = nullptr) : trace_(trace) {}
    ~MixerVolume() override;
    MixerVolume(const MixerVolume&) = delete;
    MixerVolume& operator=(const MixerVolume&) = delete;

    std::optional<std::uint32_t> getMixerControlValue() override;
    bool setMixerControlValue(std::uint32_t level) override;

private:
    bool open();
    void close();
    std::optional<std::uint32_t> read();
    bool write(std::uint32_t level);

    TraceSink* trace_;
    HMIXER mixer_ = nullptr;
    DWORD controlId_ = 0;
    bool found_ = false;
};

}  // namespace veilora
