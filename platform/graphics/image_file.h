#pragma once
// Internal to platform/graphics: PNG files decoded into 0xAARRGGBB pixels.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/graphics.h"

namespace plat::gfx {

struct DecodedImage {
  ImageInfo info;
  std::vector<uint32_t> argb;  // rows top first
};

// D3DERR_INVALIDCALL when the file cannot be read, D3DXERR_INVALIDDATA when it is not a PNG we can
// decode (corrupt, truncated, absurdly large). With `pixels` false only the header is decoded.
Result DecodeImageBytes(const std::vector<uint8_t>& bytes, bool pixels, DecodedImage& out);
Result DecodeImageFile(const std::wstring& file, bool pixels, DecodedImage& out);

// Largest side accepted from a file; keeps a hostile header from asking for gigabytes.
constexpr uint32_t kMaxImageSide = 16384;

}  // namespace plat::gfx
