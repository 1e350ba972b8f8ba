// The sound system over a recording sound backend: the device closes when the graphics device is
// lost and opens again at its reset with the stored format; a failing backend is traced and the
// game goes on. And the SDL backend under its dummy driver and with no usable driver at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/appsound.h"
#include "game/overlay.h"
#include "game/sound_system.h"
#include "platform/audio/audio.h"
#include "tests/fakes/debug_capture.h"
#include "tests/fakes/fake_audio.h"

namespace {

class SoundTest : public ::testing::Test {
 protected:
  fake::FakeAudioSystem audio_;
  fake::FakeAudioState& state_ = *audio_.state;
  CapturedSystem system_{&audio_};
};

TEST_F(SoundTest, DeviceFollowsLossAndResetAndTakesAStoredFormatAtTheNextReset) {
  Overlay overlay;
  // The framework resets the device inside device creation, before start-up stores the format.
  overlay.OnCreateDevice(nullptr);
  overlay.OnResetDevice(nullptr, nullptr, nullptr);
  SoundSystem& sound = overlay.Sound();
  sound.StoreFormat(1, 44100, 8);
  EXPECT_EQ(state_.opens, 1);
  EXPECT_EQ(state_.formats, (std::vector<plat::AudioFormat>{{2, 22050, 16}}));
  EXPECT_EQ(sound.Device()->PrimaryFormat().averageBytesPerSecond, 88200u);
  EXPECT_EQ(sound.Device()->PrimaryFormat().blockAlign, 4);

  overlay.OnLostDevice();
  EXPECT_EQ(state_.live, 0);
  overlay.OnResetDevice(nullptr, nullptr, nullptr);
  EXPECT_EQ(state_.live, 1);
  EXPECT_EQ(state_.formats.back(), (plat::AudioFormat{1, 44100, 8}));
  EXPECT_EQ(sound.AverageBytesPerSecond(), 44100);
  EXPECT_EQ(sound.Device()->PrimaryFormat().blockAlign, 1);
  sound.OnLost();
  sound.OnLost();  // a second loss in a row closes nothing more
  EXPECT_EQ(state_.live, 0);
  EXPECT_EQ(sound.Device(), nullptr);
  EXPECT_EQ(system_.Joined(), L"");
}

TEST_F(SoundTest, FailuresAreTracedAndTheGameGoesOn) {
  struct Case {
    Result open, setFormat;
    int32_t channels;
    const wchar_t* trace;  // the failed call as traced, then the last line written
    const wchar_t* last;
  };
  const Case cases[] = {
      {DSERR_NODRIVER, S_OK, 2, L"DirectSoundCreate8", L"FAIL:Initialize\n"},
      {S_OK, DSERR_BADFORMAT, 2, L"SetFormat", L"FAIL:SetPrimaryBufferFormat\n"},
      {S_OK, S_OK, 0, L"", L"FAIL:SetPrimaryBufferFormat\n"},  // refused before reaching the device
  };
  for (const Case& c : cases) {
    system_.writes.clear();
    state_.openResult = c.open;
    state_.setFormatResult = c.setFormat;
    SoundSystem sound;
    sound.StoreFormat(c.channels, 22050, 16);
    EXPECT_EQ(sound.OnReset(), S_OK);
    const std::wstring out = system_.Joined();
    EXPECT_NE(out.find(c.trace, out.find(L"common/appsound(")), std::wstring::npos) << out;
    EXPECT_EQ(system_.writes.empty() ? L"" : system_.writes.back(), c.last) << out;
    EXPECT_TRUE(state_.formats.empty());
    ASSERT_NE(sound.Device(), nullptr);  // held even unopened; the next loss drops it
    EXPECT_EQ(sound.Device()->IsOpen(), c.open == S_OK);
    sound.OnLost();
    EXPECT_EQ(sound.Device(), nullptr);
    EXPECT_EQ(state_.live, 0);
  }
}

TEST(SdlAudio, DummyDriverTakesFormatsExactlyAndNoDriverGoesOnSilently) {
  for (const char* driver : {"dummy", "none-such-driver"}) {
    ASSERT_EQ(setenv("SDL_AUDIODRIVER", driver, 1), 0);
    std::unique_ptr<plat::IAudioSystem> audio = plat::CreateSdlAudioSystem();
    ASSERT_NE(audio, nullptr);
    CapturedSystem system(audio.get());
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
  }
}

}  // namespace
