// The SDL sound backend under SDL's dummy driver (set for every test by the build), and with no
// usable driver at all.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/sound_system.h"
#include "platform/audio/audio.h"
#include "platform/services.h"
#include "tests/fakes/debug_capture.h"

namespace {

class SdlAudioTest : public ::testing::Test {
 protected:
  void Install(const char* driver) {
    ASSERT_EQ(setenv("SDL_AUDIODRIVER", driver, 1), 0);
    audio_ = plat::CreateSdlAudioSystem();
    ASSERT_NE(audio_, nullptr);
    plat::Services services;
    services.system = &system_;
    services.audio = audio_.get();
    plat::SetServices(services);
  }
  void TearDown() override { plat::SetServices(plat::Services{}); }

  DebugCapture system_;
  std::unique_ptr<plat::IAudioSystem> audio_;
};

TEST_F(SdlAudioTest, DummyDriverTakesTheStoredFormatExactly) {
  Install("dummy");
  SoundSystem sound;
  sound.OnReset();
  EXPECT_EQ(system_.Joined(), L"");
  ASSERT_TRUE(sound.Device() && sound.Device()->IsOpen());
  EXPECT_EQ(sound.Device()->PrimaryFormat().blockAlign, 4);
  sound.OnLost();

  // The device itself reports what it was opened with (opened alone: this driver has one output).
  std::unique_ptr<plat::IAudioDevice> device;
  ASSERT_EQ(audio_->OpenDevice(device), S_OK);
  ASSERT_EQ(device->SetFormat({1, 11025, 8}), S_OK);
  EXPECT_EQ(device->GetFormat(), (plat::AudioFormat{1, 11025, 8}));
  // A width the output cannot carry is refused and the old format stays.
  EXPECT_EQ(device->SetFormat({2, 22050, 24}), DSERR_BADFORMAT);
  EXPECT_EQ(device->GetFormat(), (plat::AudioFormat{1, 11025, 8}));
}

TEST_F(SdlAudioTest, NoUsableDriverGoesOnSilentlyAtEveryReset) {
  Install("none-such-driver");
  SoundSystem sound;
  for (size_t reset = 1; reset <= 2; ++reset) {
    EXPECT_EQ(sound.OnReset(), S_OK);
    ASSERT_EQ(system_.writes.size(), 2 * reset) << system_.Joined();
    EXPECT_NE(system_.writes[0].find(L"DirectSoundCreate8"), std::wstring::npos);
    EXPECT_EQ(system_.writes.back(), L"FAIL:Initialize\n");
    sound.OnLost();
  }
}

}  // namespace
