#include "sound/endpoint_volume_win32.h"

#include <windows.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include "sound/volume_backend.h"
#include "win32/com.h"

namespace veilora {

namespace {

win32::ComPtr<IAudioEndpointVolume> defaultSpeakers() {
    win32::ComPtr<IMMDeviceEnumerator> devices;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                  __uuidof(IMMDeviceEnumerator), devices.put()))) {
        return {};
    }
    win32::ComPtr<IMMDevice> speakers;
    if (FAILED(devices->GetDefaultAudioEndpoint(eRender, eConsole, speakers.putTyped()))) {
        return {};
    }
    win32::ComPtr<IAudioEndpointVolume> volume;
    if (FAILED(speakers->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_INPROC_SERVER, nullptr,
                                  volume.put()))) {
        return {};
    }
    return volume;
}

std::optional<std::uint32_t> readLevel(IAudioEndpointVolume& volume) {
    float scalar = 0.0f;
    if (volume.GetMasterVolumeLevelScalar(&scalar) != S_OK) return std::nullopt;
    return levelFromEndpointScalar(scalar);
}

}  // namespace

std::optional<std::uint32_t> EndpointVolume::getMixerControlValue() {
    const win32::ComPtr<IAudioEndpointVolume> volume = defaultSpeakers();
    if (!volume) return std::nullopt;
    return readLevel(*volume.get());
}

bool EndpointVolume::setMixerControlValue(std::uint32_t level) {
    const win32::ComPtr<IAudioEndpointVolume> volume = defaultSpeakers();
    // Only S_OK is success: E_NOTIMPL, or any other answer, means the level was not set.
    const bool written =
        volume && volume->SetMasterVolumeLevelScalar(endpointScalarFromLevel(level), nullptr) ==
                      S_OK;
    if (trace_) traceLevelWrite(*trace_, written, written ? readLevel(*volume.get()) : std::nullopt);
    return written;
}

}  // namespace veilora
