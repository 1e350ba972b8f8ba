#include "tests/support/test_support.h"

#include <png.h>

#include <cstdlib>
#include <filesystem>

namespace testsupport {

bool ReadPng(const std::string& path, Image& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_BGRA;  // little-endian bytes B,G,R,A == 0xAARRGGBB words
  out.width = image.width;
  out.height = image.height;
  out.argb.assign(size_t(image.width) * image.height, 0);
  if (!png_image_finish_read(&image, nullptr, out.argb.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  return true;
}

bool WritePng(const std::string& path, const Image& in) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = in.width;
  image.height = in.height;
  image.format = PNG_FORMAT_BGRA;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  return png_image_write_to_file(&image, path.c_str(), 0, in.argb.data(), 0, nullptr) != 0;
}

Difference Compare(const Image& a, const Image& b, uint32_t tolerance) {
  Difference d;
  d.sameSize = a.width == b.width && a.height == b.height && a.argb.size() == b.argb.size();
  if (!d.sameSize) return d;
  for (size_t i = 0; i < a.argb.size(); ++i) {
    uint32_t worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      int ca = int((a.argb[i] >> shift) & 0xFF), cb = int((b.argb[i] >> shift) & 0xFF);
      worst = std::max<uint32_t>(worst, uint32_t(std::abs(ca - cb)));
    }
    d.maxChannelDelta = std::max(d.maxChannelDelta, worst);
    if (worst > tolerance) ++d.pixelsOverTolerance;
  }
  return d;
}

std::string CheckGolden(const std::string& name, const Image& actual, uint32_t tolerance,
                        uint64_t allowedPixels) {
  const std::string golden = SourcePath("tests/golden/" + name + ".png");
  const char* update = std::getenv("ARENA_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    return WritePng(golden, actual) ? std::string() : "cannot write " + golden;
  }
  Image expected;
  if (!ReadPng(golden, expected)) return "missing golden image " + golden;
  Difference d = Compare(expected, actual, tolerance);
  if (d.sameSize && d.pixelsOverTolerance <= allowedPixels) return {};
  const std::string dump = BinaryPath("golden-actual/" + name + ".actual.png");
  WritePng(dump, actual);
  if (!d.sameSize) return "size differs from " + golden + "; actual written to " + dump;
  return std::to_string(d.pixelsOverTolerance) + " pixels differ by more than " + std::to_string(tolerance) +
         " (max " + std::to_string(d.maxChannelDelta) + ") from " + golden + "; actual written to " + dump;
}

std::string SourcePath(const std::string& relative) { return std::string(ARENA_SOURCE_DIR) + "/" + relative; }
std::string BinaryPath(const std::string& relative) { return std::string(ARENA_BINARY_DIR) + "/" + relative; }

}  // namespace testsupport
