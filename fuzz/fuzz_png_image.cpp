// Feeds arbitrary bytes to the PNG decoder behind textures and image information: it must
// reject what it cannot read with a failure code and never read or write out of bounds.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/graphics/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  plat::gfx::DecodedImage header, full;
  const Result infoResult = plat::gfx::DecodeImageBytes(bytes, false, header);
  const Result pixelResult = plat::gfx::DecodeImageBytes(bytes, true, full);
  if (Succeeded(pixelResult)) {
    // A decoded image has exactly the pixels its header promised.
    if (Failed(infoResult) || full.argb.size() != size_t(full.info.Width) * full.info.Height ||
        full.info.Width != header.info.Width || full.info.Height != header.info.Height) {
      __builtin_trap();
    }
  }
  return 0;
}
