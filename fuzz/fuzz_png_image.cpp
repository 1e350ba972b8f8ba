// Feeds arbitrary bytes to the PNG decoder behind textures and image information: it must
// reject what it cannot read with a failure code and never read or write out of bounds. A header
// larger than the caller's limits must be refused as such before any pixels are decoded.
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

  // A small device: whatever the header says beyond 64 x 32 is refused from the header, with no
  // pixels; anything within decodes as it does without the limit.
  plat::gfx::DecodedImage small;
  const Result smallResult = plat::gfx::DecodeImageBytes(bytes, true, small, {64, 32});
  if (Succeeded(infoResult) && (header.info.Width > 64 || header.info.Height > 32)) {
    if (smallResult != D3DERR_NOTAVAILABLE || !small.argb.empty()) __builtin_trap();
  } else if (smallResult != pixelResult || small.argb != full.argb) {
    __builtin_trap();
  }
  return 0;
}
