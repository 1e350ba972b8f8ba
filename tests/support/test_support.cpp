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

namespace {

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string BigEndian(uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
  return BigEndian(uint32_t(data.size())) + type + data + BigEndian(Crc32(type + data));
}

}  // namespace

std::string PngWithHeader(uint32_t width, uint32_t height) {
  const std::string header = BigEndian(width) + BigEndian(height) + std::string("\x08\x06\x00\x00\x00", 5);
  const std::string zeros("\x78\x9c\x63\x60\xa0\x0c\x00\x00\x00\x40\x00\x01", 12);  // 64 zero bytes, deflated
  return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + Chunk("IDAT", zeros) + Chunk("IEND", "");
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
