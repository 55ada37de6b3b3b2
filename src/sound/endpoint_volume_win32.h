// The master volume of the default speakers (the default render endpoint for the console
// role), on the program's 0 to 65535 scale. From version 6 on this is what the user hears.
//
// The endpoint is looked up afresh on every call, so a change of the default device (a
// headset plugged in) is followed and nothing is held when COM is left at the end. Calls
// need COM entered on the calling thread. Whatever the system answers other than success
// (E_NOTIMPL from a system that only pretends to have the control) is a failure.
#pragma once

#include <cstdint>
#include <optional>

#include "ports/ports.h"

namespace veilora {

class EndpointVolume final : public Volume {
public:
    explicit EndpointVolume(TraceSink* trace = nullptr) : trace_(trace) {}

    std::optional<std::uint32_t> getMixerControlValue() override;
    bool setMixerControlValue(std::uint32_t level) override;

private:
    TraceSink* trace_;
};

}  // namespace veilora
