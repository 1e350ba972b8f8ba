#pragma once
// Internal to platform/: PNG files decoded into 0xAARRGGBB pixels.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/graphics.h"

namespace plat::gfx {

struct DecodedImage {
  ImageInfo info;
  std::vector<uint32_t> argb;  // rows top first
};

// Limits on what a PNG file may ask for, stated once here.
// Largest side: the largest texture any of the devices makes.
constexpr uint32_t kMaxImageSide = 16384;
// Largest picture, 8192 x 8192: 256 MiB once decoded. The game's images are a few hundred pixels
// a side; past this a header is hostile or broken, and believing it would cost the memory first.
constexpr uint64_t kMaxImagePixels = uint64_t(8192) * 8192;
// Largest file read: the game's images are tens of kilobytes, and a file is read whole before its
// header is looked at, so a larger one is refused by its size alone.
constexpr uint64_t kMaxImageFileBytes = uint64_t(64) << 20;

// What the caller can use, such as a device's largest texture; the stated limits above apply too.
struct ImageLimits {
  uint32_t maxWidth = kMaxImageSide;
  uint32_t maxHeight = kMaxImageSide;
};

// D3DERR_INVALIDCALL when the file cannot be read (missing, not a regular file, unreadable, too
// large), D3DXERR_INVALIDDATA when it is not a PNG we can decode (corrupt, truncated), and
// D3DERR_NOTAVAILABLE when its header asks for more than the limits: that is decided from the
// header alone, before any pixel memory is taken. With `pixels` false only the header is decoded.
Result DecodeImageBytes(const std::vector<uint8_t>& bytes, bool pixels, DecodedImage& out,
                        const ImageLimits& limits = {});
Result DecodeImageFile(const std::wstring& file, bool pixels, DecodedImage& out, const ImageLimits& limits = {});

}  // namespace plat::gfx
