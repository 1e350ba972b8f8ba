// PNG decoding through libpng's simplified reader, which reports errors without longjmp into us.
#include "platform/graphics/image_file.h"

#include <png.h>

#include <algorithm>
#include <deque>
#include <mutex>

#include "platform/system/file_read.h"
#include "platform/system/text.h"

namespace plat::gfx {

namespace {

bool Fits(uint32_t width, uint32_t height, const ImageLimits& limits) {
  return width <= std::min(limits.maxWidth, kMaxImageSide) && height <= std::min(limits.maxHeight, kMaxImageSide) &&
         uint64_t{width} * height <= kMaxImagePixels;
}

// libpng sets aside (and clears) as much memory as a chunk's header claims before it reads the
// chunk: gigabytes for a damaged file of a hundred bytes, which took seconds. A chunk that claims
// more than the file holds is damaged anyway, so such a file is refused before libpng sees it.
// Bytes after the closing chunk are left alone, as libpng leaves them.
bool ChunksFitTheFile(const std::vector<uint8_t>& bytes) {
  constexpr size_t kSignature = 8, kHeader = 8, kCrc = 4;
  auto word = [&](size_t at) {
    return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
  };
  size_t at = kSignature;
  while (at + kHeader <= bytes.size()) {
    const size_t left = bytes.size() - at - kHeader;
    const uint32_t length = word(at);
    if (length > left || left - length < kCrc) return false;
    if (word(at + 4) == 0x49454E44u) return true;  // IEND
    at += kHeader + length + kCrc;
  }
  return true;  // what is missing is libpng's to report
}

}  // namespace

Result DecodeImageBytes(const std::vector<uint8_t>& bytes, bool pixels, DecodedImage& out, const ImageLimits& limits) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  // Reads the signature and the chunks before the first IDAT: the header, no pixel data.
  if (bytes.empty() || !ChunksFitTheFile(bytes) ||
      !png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) ||
      image.width == 0 || image.height == 0) {
    png_image_free(&image);
    return D3DXERR_INVALIDDATA;
  }
  if (!Fits(image.width, image.height, limits)) {
    png_image_free(&image);
    return D3DERR_NOTAVAILABLE;
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

namespace {

// Every Scene load reads all its images from disk again. When a file holds exactly the bytes
// decoded last time, its pixels are copied from here instead of being inflated again.
class DecodeCache {
 public:
  bool Find(const std::wstring& file, const std::vector<uint8_t>& bytes, DecodedImage& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Entry& e : entries_) {
      if (e.file == file && e.bytes == bytes) {
        out = e.image;
        return true;
      }
    }
    return false;
  }

  void Store(const std::wstring& file, const std::vector<uint8_t>& bytes, const DecodedImage& image) {
    const size_t cost = bytes.size() + image.argb.size() * sizeof(uint32_t);
    if (cost > kBudget) return;
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(entries_, [&](const Entry& e) { return e.file == file; });
    entries_.push_back({file, bytes, image});
    size_t total = 0;
    for (const Entry& e : entries_) total += e.bytes.size() + e.image.argb.size() * sizeof(uint32_t);
    while (total > kBudget) {  // oldest first
      total -= entries_.front().bytes.size() + entries_.front().image.argb.size() * sizeof(uint32_t);
      entries_.pop_front();
    }
  }

 private:
  static constexpr size_t kBudget = size_t(32) << 20;
  struct Entry {
    std::wstring file;
    std::vector<uint8_t> bytes;
    DecodedImage image;
  };
  std::mutex mutex_;
  std::deque<Entry> entries_;
};

DecodeCache& Cache() {
  static DecodeCache cache;
  return cache;
}

}  // namespace

Result DecodeImageFile(const std::wstring& file, bool pixels, DecodedImage& out, const ImageLimits& limits) {
  // One sized read: every Scene load decodes all its images again, so this path is hot.
  std::vector<uint8_t> bytes;
  if (!ReadRegularFile(WideToUtf8(file), kMaxImageFileBytes, bytes)) return D3DERR_INVALIDCALL;
  if (!pixels) return DecodeImageBytes(bytes, false, out, limits);
  if (Cache().Find(file, bytes, out)) {
    if (Fits(out.info.Width, out.info.Height, limits)) return S_OK;
    out = DecodedImage{};
    return D3DERR_NOTAVAILABLE;
  }
  const Result r = DecodeImageBytes(bytes, true, out, limits);
  if (Succeeded(r)) Cache().Store(file, bytes, out);
  return r;
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
