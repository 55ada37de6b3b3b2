// The speakers volume of the first mixer device, as one channel from 0 to 65535.
// Without a mixer every call quietly does nothing: reads give 0, writes report false.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>

#include "ports/ports.h"

namespace veilora {

class MixerVolume final : public Volume {
public:
    MixerVolume() = default;
    ~MixerVolume() override;
    MixerVolume(const MixerVolume&) = delete;
    MixerVolume& operator=(const MixerVolume&) = delete;

    // Opens mixer 0 and finds its speakers volume control. False when there is none.
    bool open();

    std::uint32_t getMixerControlValue() override;
    bool setMixerControlValue(std::uint32_t level) override;

private:
    HMIXER mixer_ = nullptr;
    DWORD controlId_ = 0;
    bool found_ = false;
};

// Finds the control of `controlType` on the destination line of `componentType`.
bool findMixerControl(HMIXER mixer, DWORD componentType, DWORD controlType, MIXERCONTROLW& out);

}  // namespace veilora
