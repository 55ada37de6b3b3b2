#include "sound/mixer_win32.h"

#include "sound/volume_backend.h"
#include "win32/system.h"

namespace veilora {

namespace {

// The mixer functions of the multimedia library, which is not one the system always loads
// from its own folder: taken from there explicitly, never from beside the program.
struct Winmm {
    decltype(&::mixerOpen) open = nullptr;
    decltype(&::mixerClose) close = nullptr;
    decltype(&::mixerGetLineInfoW) getLineInfo = nullptr;
    decltype(&::mixerGetLineControlsW) getLineControls = nullptr;
    decltype(&::mixerGetControlDetailsW) getControlDetails = nullptr;
    decltype(&::mixerSetControlDetails) setControlDetails = nullptr;

    bool loaded() const {
        return open && close && getLineInfo && getLineControls && getControlDetails &&
               setControlDetails;
    }
};

template <typename F>
void resolve(HMODULE module, F& fn, const char* name) {
    fn = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const Winmm& winmm() {
    // Loaded once for the life of the process.
    static const Winmm functions = [] {
        Winmm w;
        if (HMODULE module = win32::loadSystemLibrary(L"winmm.dll")) {
            resolve(module, w.open, "mixerOpen");
            resolve(module, w.close, "mixerClose");
            resolve(module, w.getLineInfo, "mixerGetLineInfoW");
            resolve(module, w.getLineControls, "mixerGetLineControlsW");
            resolve(module, w.getControlDetails, "mixerGetControlDetailsW");
            resolve(module, w.setControlDetails, "mixerSetControlDetails");
        }
        return w;
    }();
    return functions;
}

// The control of `controlType` on the destination line of `componentType`.
bool findMixerControl(HMIXER mixer, DWORD componentType, DWORD controlType, DWORD& controlId) {
    const Winmm& w = winmm();
    MIXERLINEW line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = componentType;
    if (w.getLineInfo(reinterpret_cast<HMIXEROBJ>(mixer), &line,
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
    if (w.getLineControls(reinterpret_cast<HMIXEROBJ>(mixer), &controls,
                          MIXER_GETLINECONTROLSF_ONEBYTYPE) != MMSYSERR_NOERROR) {
        return false;
    }
    controlId = control.dwControlID;
    return true;
}

}  // namespace

MixerVolume::~MixerVolume() { close(); }

bool MixerVolume::open() {
    if (found_) return true;
    const Winmm& w = winmm();
    if (!w.loaded()) return false;
    if (!mixer_ && w.open(&mixer_, 0, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) {
        mixer_ = nullptr;
        return false;
    }
    found_ = findMixerControl(mixer_, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,
                              MIXERCONTROL_CONTROLTYPE_VOLUME, controlId_);
    return found_;
}

void MixerVolume::close() {
    if (mixer_) winmm().close(mixer_);
    mixer_ = nullptr;
    found_ = false;
}

std::optional<std::uint32_t> MixerVolume::read() {
    MIXERCONTROLDETAILS_UNSIGNED value{};
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = controlId_;
    details.cChannels = 1;  // one value stands for every channel of the line
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    if (winmm().getControlDetails(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                  MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR) {
        return std::nullopt;
    }
    return value.dwValue;
}

bool MixerVolume::write(std::uint32_t level) {
    MIXERCONTROLDETAILS_UNSIGNED value{};
    value.dwValue = level;
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = controlId_;
    details.cChannels = 1;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    return winmm().setControlDetails(reinterpret_cast<HMIXEROBJ>(mixer_), &details,
                                     MIXER_SETCONTROLDETAILSF_VALUE) == MMSYSERR_NOERROR;
}

std::optional<std::uint32_t> MixerVolume::getMixerControlValue() {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!open()) return std::nullopt;
        if (auto level = read()) return level;
        close();  // the device may have gone: the second attempt opens it anew
    }
    return std::nullopt;
}

bool MixerVolume::setMixerControlValue(std::uint32_t level) {
    bool written = false;
    for (int attempt = 0; attempt < 2 && !written; ++attempt) {
        if (!open()) break;
        written = write(level);
        if (!written) close();
    }
    // What really happened, not only what was asked.
    if (trace_) traceLevelWrite(*trace_, written, written ? read() : std::nullopt);
    return written;
}

}  // namespace veilora
