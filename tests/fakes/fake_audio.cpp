#include "tests/fakes/fake_audio.h"

namespace fake {

namespace {

class FakeAudioDevice : public plat::IAudioDevice {
 public:
  explicit FakeAudioDevice(std::shared_ptr<FakeAudioState> state) : state_(std::move(state)) { ++state_->live; }
  ~FakeAudioDevice() override { --state_->live; }
  Result SetFormat(const plat::AudioFormat& format) override {
    if (Failed(state_->setFormatResult)) return state_->setFormatResult;
    format_ = format;
    state_->formats.push_back(format);
    return S_OK;
  }
  plat::AudioFormat GetFormat() const override { return format_; }

 private:
  std::shared_ptr<FakeAudioState> state_;
  plat::AudioFormat format_;
};

}  // namespace

Result FakeAudioSystem::OpenDevice(std::unique_ptr<plat::IAudioDevice>& out) {
  out.reset();
  if (Failed(state->openResult)) return state->openResult;
  ++state->opens;
  out = std::make_unique<FakeAudioDevice>(state);
  return S_OK;
}

}  // namespace fake
