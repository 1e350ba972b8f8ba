// The sound system over a recording sound backend: when the device opens and closes, the format
// it is given, and what a failing backend leaves in the debugger output.
#include <gtest/gtest.h>

#include <string>

#include "common/appsound.h"
#include "game/overlay.h"
#include "game/sound_system.h"
#include "platform/services.h"
#include "tests/fakes/fake_audio.h"
#include "tests/fakes/debug_capture.h"

namespace {

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::Services services;
    services.system = &system_;
    services.audio = &audio_;
    plat::SetServices(services);
  }
  void TearDown() override { plat::SetServices(plat::Services{}); }

  fake::FakeAudioState& Audio() { return *audio_.state; }
  std::wstring Output() const { return system_.Joined(); }

  DebugCapture system_;
  fake::FakeAudioSystem audio_;
};

TEST_F(SoundTest, StartUpOpensTheDeviceOnceWithTheGameFormat) {
  Overlay overlay;
  // The framework resets the device inside device creation, before start-up stores the format.
  overlay.OnCreateDevice(nullptr);
  overlay.OnResetDevice(nullptr, nullptr, nullptr);
  overlay.Sound().StoreFormat(2, 22050, 16);

  EXPECT_EQ(Audio().opens, 1);
  ASSERT_EQ(Audio().formats.size(), 1u);
  EXPECT_EQ(Audio().formats[0], (plat::AudioFormat{2, 22050, 16}));
  const SoundDevice* device = overlay.Sound().Device();
  ASSERT_NE(device, nullptr);
  const WaveFormat& wave = device->PrimaryFormat();
  EXPECT_EQ(wave.averageBytesPerSecond, 88200u);
  EXPECT_EQ(Output(), L"");
}

TEST_F(SoundTest, StoredFormatTakesEffectAtTheNextResetOnly) {
  SoundSystem sound;
  sound.OnReset();
  sound.StoreFormat(1, 44100, 8);
  ASSERT_EQ(Audio().formats.size(), 1u);
  EXPECT_EQ(Audio().formats[0], (plat::AudioFormat{2, 22050, 16}));

  sound.OnLost();
  sound.OnReset();
  ASSERT_EQ(Audio().formats.size(), 2u);
  EXPECT_EQ(Audio().formats[1], (plat::AudioFormat{1, 44100, 8}));
  EXPECT_EQ(sound.Device()->PrimaryFormat().blockAlign, 1);
  EXPECT_EQ(sound.AverageBytesPerSecond(), 44100);

  // A second loss in a row closes nothing more.
  sound.OnLost();
  sound.OnLost();
  EXPECT_EQ(Audio().live, 0);
  EXPECT_EQ(sound.Device(), nullptr);
}

TEST_F(SoundTest, NoSoundCardIsTracedAndTheGameGoesOn) {
  Audio().openResult = DSERR_NODRIVER;
  SoundSystem sound;
  EXPECT_EQ(sound.OnReset(), S_OK);

  const std::wstring out = Output();
  const size_t trace = out.find(L"common/appsound(");
  ASSERT_NE(trace, std::wstring::npos) << out;
  const size_t call = out.find(L"DirectSoundCreate8", trace);
  ASSERT_NE(call, std::wstring::npos) << out;
  EXPECT_NE(out.find(L"88780078", call), std::wstring::npos) << out;
  EXPECT_EQ(out.find(L"SetFormat"), std::wstring::npos);
  ASSERT_GE(system_.writes.size(), 2u);
  EXPECT_EQ(system_.writes.back(), L"FAIL:Initialize\n");

  // The unopened device is still held, and the next loss drops it.
  ASSERT_NE(sound.Device(), nullptr);
  EXPECT_FALSE(sound.Device()->IsOpen());
  sound.OnLost();
  EXPECT_EQ(sound.Device(), nullptr);
}

TEST_F(SoundTest, RefusedFormatIsTracedAndTheDeviceStaysOpen) {
  Audio().setFormatResult = DSERR_BADFORMAT;
  SoundSystem sound;
  sound.OnReset();

  const std::wstring out = Output();
  const size_t trace = out.find(L"common/appsound(");
  ASSERT_NE(trace, std::wstring::npos) << out;
  EXPECT_NE(out.find(L"SetFormat", trace), std::wstring::npos) << out;
  EXPECT_EQ(system_.writes.back(), L"FAIL:SetPrimaryBufferFormat\n");
  EXPECT_EQ(out.find(L"FAIL:Initialize"), std::wstring::npos);
  EXPECT_EQ(Audio().live, 1);
  EXPECT_EQ(sound.Device()->PrimaryFormat().formatTag, 0);
}

TEST_F(SoundTest, ImpossibleFormatIsRefusedBeforeReachingTheDevice) {
  SoundSystem sound;
  sound.StoreFormat(0, 22050, 16);
  sound.OnReset();
  EXPECT_TRUE(Audio().formats.empty());
  EXPECT_EQ(system_.writes.back(), L"FAIL:SetPrimaryBufferFormat\n");
}

}  // namespace
