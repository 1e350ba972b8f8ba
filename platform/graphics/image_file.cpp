// PNG decoding through libpng's simplified reader, which reports errors without longjmp into us.
#include "platform/graphics/image_file.h"

#include <png.h>

#include <fstream>
#include <iterator>

namespace plat::gfx {

std::string ToUtf8Path(const std::wstring& name) {
  std::string out;
  for (wchar_t wc : name) {
    auto c = static_cast<uint32_t>(wc);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

Result DecodeImageBytes(const std::vector<uint8_t>& bytes, bool pixels, DecodedImage& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (bytes.empty() || !png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    png_image_free(&image);
    return D3DXERR_INVALIDDATA;
  }
  if (image.width == 0 || image.height == 0 || image.width > kMaxImageSide || image.height > kMaxImageSide) {
    png_image_free(&image);
    return D3DXERR_INVALIDDATA;
  }
  const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  out.info.Width = image.width;
  out.info.Height = image.height;
  out.info.Format = alpha ? FMT_A8R8G8B8 : FMT_X8R8G8B8;
  out.argb.clear();
  if (!pixels) {
    png_image_free(&image);
    return S_OK;
  }
  // Little-endian B, G, R, A bytes are 0xAARRGGBB words.
  image.format = PNG_FORMAT_BGRA;
  out.argb.assign(size_t(image.width) * image.height, 0);
  if (!png_image_finish_read(&image, nullptr, out.argb.data(), 0, nullptr)) {
    png_image_free(&image);
    out.argb.clear();
    return D3DXERR_INVALIDDATA;
  }
  return S_OK;
}

Result DecodeImageFile(const std::wstring& file, bool pixels, DecodedImage& out) {
  std::ifstream in(ToUtf8Path(file), std::ios::binary);
  if (!in) return D3DERR_INVALIDCALL;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return D3DERR_INVALIDCALL;
  return DecodeImageBytes(bytes, pixels, out);
}

}  // namespace plat::gfx

namespace plat {

Result GetImageInfoFromFile(const std::wstring& file, ImageInfo& info) {
  gfx::DecodedImage image;
  const Result r = gfx::DecodeImageFile(file, false, image);
  if (Succeeded(r)) info = image.info;
  return r;
}

}  // namespace plat
