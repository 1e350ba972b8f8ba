// Whole-number enlargement of a picture, for presenting a back buffer at the presentation scale.
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/graphics/raster_backend.h"

namespace plat::gfx {

namespace {

#if defined(__SSE2__)
// Scale 2: each four pixels become two four-pixel pairs, stored into both rows of their blocks.
bool ScaleUpTwo(const uint32_t* src, int w, int h, uint32_t* dst, int dstPitchPixels) {
  const bool aligned = (reinterpret_cast<uintptr_t>(dst) % 16 == 0) && (dstPitchPixels % 4 == 0) && w % 4 == 0;
  if (!aligned) return false;
  for (int y = 0; y < h; ++y, src += w) {
    auto* top = reinterpret_cast<__m128i*>(dst + size_t(2 * y) * size_t(dstPitchPixels));
    auto* bottom = reinterpret_cast<__m128i*>(dst + size_t(2 * y + 1) * size_t(dstPitchPixels));
    for (int x = 0; x < w; x += 4) {
      const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
      const __m128i low = _mm_unpacklo_epi32(four, four), high = _mm_unpackhi_epi32(four, four);
      _mm_store_si128(top++, low);
      _mm_store_si128(top++, high);
      _mm_store_si128(bottom++, low);
      _mm_store_si128(bottom++, high);
    }
  }
  return true;
}
#endif

}  // namespace

int WholeScale(int w, int h, int targetW, int targetH) {
  if (w <= 0 || h <= 0 || targetW % w != 0 || targetH % h != 0) return 0;
  const int k = targetW / w;
  return k >= 1 && targetH / h == k ? k : 0;
}

void ScaleUp(const uint32_t* src, int w, int h, int k, uint32_t* dst, int dstPitchPixels) {
#if defined(__SSE2__)
  if (k == 2 && ScaleUpTwo(src, w, h, dst, dstPitchPixels)) return;
#endif
  const size_t rowBytes = size_t(w) * size_t(k) * sizeof(uint32_t);
  for (int y = 0; y < h; ++y, src += w) {
    uint32_t* row = dst + size_t(y) * size_t(k) * size_t(dstPitchPixels);
    uint32_t* out = row;
    for (int x = 0; x < w; ++x)
      for (int i = 0; i < k; ++i) *out++ = src[x];
    // The other k - 1 rows of the block are copies of the first.
    for (int i = 1; i < k; ++i) std::memcpy(row + size_t(i) * size_t(dstPitchPixels), row, rowBytes);
  }
}

}  // namespace plat::gfx
