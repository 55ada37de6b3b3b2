// The endpoint volume says what the system answered: a write the system refuses (Wine answers
// E_NOTIMPL) is a failure, never a success, so the program falls back to the mixer.
#include <gtest/gtest.h>

#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include "sound/endpoint_volume_win32.h"
#include "win32/com.h"

namespace veilora {
namespace {

TEST(EndpointVolume, ReportsWhatTheSystemAnsweredAndARefusedWriteAsAFailure) {
    win32::ComApartment com;
    com.enter();
    // The system asked directly, as the adapter asks it.
    win32::ComPtr<IMMDeviceEnumerator> devices;
    ASSERT_EQ(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                 __uuidof(IMMDeviceEnumerator), devices.put()),
              S_OK);
    win32::ComPtr<IMMDevice> speakers;
    ASSERT_EQ(devices->GetDefaultAudioEndpoint(eRender, eConsole, speakers.putTyped()), S_OK)
        << "the test run needs a sound device";
    win32::ComPtr<IAudioEndpointVolume> system;
    ASSERT_EQ(speakers->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_INPROC_SERVER, nullptr,
                                 system.put()),
              S_OK);
    float scalar = -1.0f;
    ASSERT_EQ(system->GetMasterVolumeLevelScalar(&scalar), S_OK);
    const HRESULT written = system->SetMasterVolumeLevelScalar(scalar, nullptr);

    EndpointVolume endpoint;
    const std::optional<std::uint32_t> level = endpoint.getMixerControlValue();
    ASSERT_TRUE(level);
    EXPECT_EQ(*level, static_cast<std::uint32_t>(scalar * 65535.0f + 0.5f));
    // Under Wine a refusal: that the program then keeps to the mixer is the e2e volume test's.
    EXPECT_EQ(endpoint.setMixerControlValue(*level), written == S_OK);
}

}  // namespace
}  // namespace veilora
