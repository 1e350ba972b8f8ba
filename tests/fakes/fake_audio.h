#pragma once
// A sound backend for tests: records every device opened and every format set, and can be told
// to have no device or to refuse formats.
#include <memory>
#include <vector>

#include "platform/audio/audio.h"

namespace fake {

struct FakeAudioState {
  // Answers.
  Result openResult = S_OK;       // a failure: OpenDevice fails with it
  Result setFormatResult = S_OK;  // a failure: SetFormat refuses with it

  // Records.
  int opens = 0;                           // devices handed out
  int live = 0;                            // devices not yet destroyed
  std::vector<plat::AudioFormat> formats;  // every SetFormat that succeeded, in order
};

class FakeAudioSystem : public plat::IAudioSystem {
 public:
  std::shared_ptr<FakeAudioState> state = std::make_shared<FakeAudioState>();
  Result OpenDevice(std::unique_ptr<plat::IAudioDevice>& out) override;
};

}  // namespace fake
