#pragma once
// Helpers shared by tests: PNG images for golden comparisons and paths into the source tree.
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct Image {
  uint32_t width = 0, height = 0;
  std::vector<uint32_t> argb;  // rows top first, 0xAARRGGBB
  uint32_t At(uint32_t x, uint32_t y) const { return argb[size_t(y) * width + x]; }
};

bool ReadPng(const std::string& path, Image& out);
bool WritePng(const std::string& path, const Image& image);

// A small, well-formed PNG whose header says width x height: its one IDAT holds 64 bytes of zero
// rows, far too few for such a size, so only a reader that looks at the header first is quick.
std::string PngWithHeader(uint32_t width, uint32_t height);

struct Difference {
  bool sameSize = false;
  uint32_t maxChannelDelta = 0;   // largest per-channel difference
  uint64_t pixelsOverTolerance = 0;
};
Difference Compare(const Image& a, const Image& b, uint32_t tolerance);

// Compares `actual` with the golden PNG at tests/golden/<name>.png. When the environment has
// ARENA_UPDATE_GOLDEN=1 it writes the golden file instead. On a mismatch it writes the actual image
// next to the build as <name>.actual.png and returns a message; empty string on success.
std::string CheckGolden(const std::string& name, const Image& actual, uint32_t tolerance,
                        uint64_t allowedPixels = 0);

std::string SourcePath(const std::string& relative);  // path inside the repository
std::string BinaryPath(const std::string& relative);  // path inside the build folder

}  // namespace testsupport
