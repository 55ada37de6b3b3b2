#include "sound/mixer_win32.h"

namespace veilora {

bool findMixerControl(HMIXER mixer, DWORD componentType, DWORD controlType, MIXERCONTROLW& out) {
    MIXERLINEW line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = componentType;
    if (::mixerGetLineInfoW(reinterpret_cast<HMIXEROBJ>(mixer), &line,
                            MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR) {
        return false;
    }
    MIXERCONTROLW control{};
    control.cbStruct = sizeof control;
    MIXERLINECONTROLSW controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = controlType;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    if (::mixerGetLineControlsW(reinterpret_cast<HMIXEROBJ>(mixer), &controls,
                                MIXER_GETLINECONTROLSF_ONEBYTYPE) != MMSYSERR_NOERROR) {
        return false;
    }
    out = control;
    return true;
}

MixerVolume::~MixerVolume() {
    if (mixer_) ::mixerClose(mixer_);
}

bool MixerVolume::open() {
    if (found_) return true;
    if (!mixer_ && ::mixerOpen(&mixer_, 0, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) {
        mixer_ = nullptr;
        return false;
    }
    MIXERCONTROLW control{};
    found_ = findMixerControl(mixer_, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
                              MIXERCONTROL_CONTROLTYPE_VOLUME, control);
    if (found_) controlId_ = control.dwControlID;
    return found_;
}

std::uint32_t MixerVolume::getMixerControlValue() {
    if (!found_) return 0;
    MIXERCONTROLDETAILS_UNSIGNED value{};
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = controlId_;
    details.cChannels = 1;  // one value stands for every channel of the line
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    if (::mixerGetControlDetailsW(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                  MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR) {
        return 0;
    }
    return value.dwValue;
}

bool MixerVolume::setMixerControlValue(std::uint32_t level) {
    if (!found_) return false;
    MIXERCONTROLDETAILS_UNSIGNED value{};
    value.dwValue = level;
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = controlId_;
    details.cChannels = 1;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    return ::mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                    MIXER_SETCONTROLDETAILSF_VALUE) == MMSYSERR_NOERROR;
}

}  // namespace veilora
