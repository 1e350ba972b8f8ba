// The SDL sound backend under SDL's dummy driver, and with no usable driver at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/sound_system.h"
#include "platform/audio/audio.h"
#include "platform/services.h"
#include "tests/fakes/debug_capture.h"

namespace {

TEST(SdlAudio, DummyDriverTakesFormatsExactlyAndNoDriverGoesOnSilently) {
  DebugCapture system;
  for (const char* driver : {"dummy", "none-such-driver"}) {
    ASSERT_EQ(setenv("SDL_AUDIODRIVER", driver, 1), 0);
    std::unique_ptr<plat::IAudioSystem> audio = plat::CreateSdlAudioSystem();
    ASSERT_NE(audio, nullptr);
    plat::Services services;
    services.system = &system;
    services.audio = audio.get();
    plat::SetServices(services);
    const bool dummy = std::string(driver) == "dummy";
    SoundSystem sound;
    for (size_t reset = 1; reset <= 2; ++reset) {  // every reset tries again and the game goes on
      EXPECT_EQ(sound.OnReset(), S_OK);
      ASSERT_NE(sound.Device(), nullptr);
      EXPECT_EQ(sound.Device()->IsOpen(), dummy);
      EXPECT_EQ(system.writes.size(), dummy ? 0 : 2 * reset) << driver;
      sound.OnLost();
    }
    if (dummy) {
      // Opened alone: this driver has one output. A width it cannot carry is refused and the
      // format already set stays.
      std::unique_ptr<plat::IAudioDevice> device;
      ASSERT_EQ(audio->OpenDevice(device), S_OK);
      ASSERT_EQ(device->SetFormat({1, 11025, 8}), S_OK);
      EXPECT_EQ(device->SetFormat({2, 22050, 24}), DSERR_BADFORMAT);
      EXPECT_EQ(device->GetFormat(), (plat::AudioFormat{1, 11025, 8}));
    } else {
      EXPECT_NE(system.writes[0].find(L"DirectSoundCreate8"), std::wstring::npos) << system.Joined();
      EXPECT_EQ(system.writes.back(), L"FAIL:Initialize\n");
    }
    plat::SetServices(plat::Services{});
  }
}

}  // namespace
