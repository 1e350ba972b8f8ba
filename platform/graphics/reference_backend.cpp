// The reference device's CPU rasterizer: colour and depth buffers in memory, quads drawn as
// axis-aligned rectangles where they are (the common sprite case, mirrored or scaled included)
// and as two triangles otherwise, with incremental spans, 16.16 fixed-point texture coordinates
// and 8-bit bilinear weights. Depth rows are cleared lazily, on first touch after a clear.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/graphics/gl_present.h"
#include "platform/graphics/raster_backend.h"

namespace plat::gfx {

namespace {

enum class Filter { Copy, Nearest, Bilinear };

// Everything one span needs. Texture coordinates are 16.16 fixed point in texels; for bilinear
// they are already moved half a texel back so the integer part is the upper-left texel.
struct Span {
  uint32_t* dst = nullptr;
  float* depth = nullptr;
  int count = 0;
  const uint32_t* tex = nullptr;
  int texW = 0, texH = 0;
  int64_t u = 0, v = 0, dudx = 0, dvdx = 0;
  float z = 0, dzdx = 0;
  uint32_t tint = 0xFFFFFFFFu;
};

inline uint32_t Mul8(uint32_t a, uint32_t b) {
  const uint32_t t = a * b + 128;
  return (t + (t >> 8)) >> 8;  // a * b / 255, rounded
}

inline uint32_t Modulate(uint32_t c, uint32_t tint) {
  return (Mul8(c >> 24, tint >> 24) << 24) | (Mul8((c >> 16) & 0xFF, (tint >> 16) & 0xFF) << 16) |
         (Mul8((c >> 8) & 0xFF, (tint >> 8) & 0xFF) << 8) | Mul8(c & 0xFF, tint & 0xFF);
}

// src * a + dst * (1 - a) on all four channels, two at a time in 16-bit lanes, rounded.
inline uint32_t Blend(uint32_t src, uint32_t dst, uint32_t a) {
  const uint32_t ia = 255 - a;
  uint32_t rb = (src & 0x00FF00FFu) * a + (dst & 0x00FF00FFu) * ia + 0x00800080u;
  uint32_t ag = ((src >> 8) & 0x00FF00FFu) * a + ((dst >> 8) & 0x00FF00FFu) * ia + 0x00800080u;
  rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  ag = ((ag + ((ag >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  return rb | (ag << 8);
}

// a * (256 - f) + b * f, f in 0..255 meaning f / 256.
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t f) {
  const uint32_t g = 256 - f;
  const uint32_t rb = (((a & 0x00FF00FFu) * g + (b & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
  const uint32_t ag = ((((a >> 8) & 0x00FF00FFu) * g + ((b >> 8) & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
  return rb | (ag << 8);
}

inline int ClampInt(int64_t v, int hi) { return v < 0 ? 0 : (v > hi ? hi : int(v)); }

// Fetches texels for one span, one at a time, for each filter. Texture coordinates advance
// with every fetch.
template <Filter F>
class Fetcher {
 public:
  explicit Fetcher(const Span& s)
      : s_(s), u_(s.u), v_(s.v), wMax_(s.texW - 1), hMax_(s.texH - 1) {
    if constexpr (F == Filter::Copy) {
      texel_ = s.tex + size_t(s.v >> 16) * size_t(s.texW) + (s.u >> 16);
      step_ = s.dudx > 0 ? 1 : -1;
    }
    // Rows fixed for the whole span (no change of v along x, the usual unturned case): the row
    // pointers and the vertical weight are worked out once.
    fixedRow_ = s.dvdx == 0;
    if (fixedRow_) {
      r0_ = s.tex + size_t(ClampInt(v_ >> 16, hMax_)) * size_t(s.texW);
      r1_ = s.tex + size_t(ClampInt((v_ >> 16) + 1, hMax_)) * size_t(s.texW);
      fy_ = uint32_t(v_ >> 8) & 0xFF;
    }
  }

  uint32_t Next() {
    if constexpr (F == Filter::Copy) {
      const uint32_t c = *texel_;
      texel_ += step_;
      return c;
    } else if constexpr (F == Filter::Nearest) {
      const uint32_t* row = fixedRow_ ? r0_ : s_.tex + size_t(ClampInt(v_ >> 16, hMax_)) * size_t(s_.texW);
      const uint32_t c = row[ClampInt(u_ >> 16, wMax_)];
      u_ += s_.dudx;
      v_ += s_.dvdx;
      return c;
    } else {
      const uint32_t* r0 = r0_;
      const uint32_t* r1 = r1_;
      uint32_t fy = fy_;
      if (!fixedRow_) {
        const int64_t y0 = v_ >> 16;
        r0 = s_.tex + size_t(ClampInt(y0, hMax_)) * size_t(s_.texW);
        r1 = s_.tex + size_t(ClampInt(y0 + 1, hMax_)) * size_t(s_.texW);
        fy = uint32_t(v_ >> 8) & 0xFF;
      }
      const int64_t x0 = u_ >> 16;
      const uint32_t fx = uint32_t(u_ >> 8) & 0xFF;
      const int xa = ClampInt(x0, wMax_), xb = ClampInt(x0 + 1, wMax_);
      u_ += s_.dudx;
      v_ += s_.dvdx;
      const uint32_t top = fx ? Lerp(r0[xa], r0[xb], fx) : r0[xa];
      if (!fy) return top;
      const uint32_t bottom = fx ? Lerp(r1[xa], r1[xb], fx) : r1[xa];
      return Lerp(top, bottom, fy);
    }
  }

 private:
  const Span& s_;
  int64_t u_, v_;
  int wMax_, hMax_;
  const uint32_t* texel_ = nullptr;
  int step_ = 0;
  bool fixedRow_ = false;
  const uint32_t* r0_ = nullptr;
  const uint32_t* r1_ = nullptr;
  uint32_t fy_ = 0;
};

// Tint, alpha-0 discard, depth test and write, blending, for one fragment.
template <bool DoBlend, bool DoDepth, bool DoTint>
inline void ShadeOne(uint32_t c, uint32_t* dst, float* depth, float z, uint32_t tint) {
  if constexpr (DoTint) c = Modulate(c, tint);
  const uint32_t a = c >> 24;
  if (a == 0) return;
  if constexpr (DoDepth) {
    if (!(z <= *depth)) return;
    *depth = z;
  }
  if constexpr (DoBlend) {
    if (a != 255) c = Blend(c, *dst, a);
  }
  *dst = c;
}

#if defined(__SSE2__)
// The same for four fragments at once. 16-bit lanes hold channel products (at most 255 * 255 +
// 255 * 255 with rounding, below 65536), so the arithmetic matches the one-fragment version.
template <bool DoBlend, bool DoDepth, bool DoTint>
inline void ShadeFour(__m128i c, uint32_t* dst, float* depth, __m128 z, __m128i tintLo, __m128i tintHi) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i round = _mm_set1_epi16(128);
  auto div255 = [&](__m128i t) {  // t + 128, then (t + (t >> 8)) >> 8
    t = _mm_add_epi16(t, round);
    return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
  };
  if constexpr (DoTint) {
    const __m128i lo = div255(_mm_mullo_epi16(_mm_unpacklo_epi8(c, zero), tintLo));
    const __m128i hi = div255(_mm_mullo_epi16(_mm_unpackhi_epi8(c, zero), tintHi));
    c = _mm_packus_epi16(lo, hi);
  }
  // Lanes to write: alpha not 0, depth passing.
  __m128i write = _mm_xor_si128(_mm_cmpeq_epi32(_mm_srli_epi32(c, 24), zero), _mm_set1_epi32(-1));
  if constexpr (DoDepth) {
    const __m128 stored = _mm_loadu_ps(depth);
    write = _mm_and_si128(write, _mm_castps_si128(_mm_cmple_ps(z, stored)));
    const __m128 w = _mm_castsi128_ps(write);
    _mm_storeu_ps(depth, _mm_or_ps(_mm_and_ps(w, z), _mm_andnot_ps(w, stored)));
  }
  if (_mm_movemask_epi8(write) == 0) return;
  const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
  const __m128i alphaBits = _mm_set1_epi32(int(0xFF000000u));
  const bool opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(c, alphaBits), alphaBits)) == 0xFFFF;
  if (DoBlend && !opaque) {  // blending an opaque fragment gives the fragment itself
    const __m128i cLo = _mm_unpacklo_epi8(c, zero), cHi = _mm_unpackhi_epi8(c, zero);
    const __m128i dLo = _mm_unpacklo_epi8(old, zero), dHi = _mm_unpackhi_epi8(old, zero);
    // Alpha (lane 3 of each pixel) spread over the pixel's four lanes.
    const __m128i aLo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(cLo, 0xFF), 0xFF);
    const __m128i aHi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(cHi, 0xFF), 0xFF);
    const __m128i full = _mm_set1_epi16(255);
    const __m128i lo = div255(_mm_add_epi16(_mm_mullo_epi16(cLo, aLo), _mm_mullo_epi16(dLo, _mm_sub_epi16(full, aLo))));
    const __m128i hi = div255(_mm_add_epi16(_mm_mullo_epi16(cHi, aHi), _mm_mullo_epi16(dHi, _mm_sub_epi16(full, aHi))));
    c = _mm_packus_epi16(lo, hi);
  }
  const __m128i out = _mm_or_si128(_mm_and_si128(write, c), _mm_andnot_si128(write, old));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
}
#endif

#if defined(__SSE2__)
// Four exact 8-bit-weight lerps at once: per pixel and channel a * (256 - f) + b * f, >> 8, with
// `w` holding (f << 16) | (256 - f) per pixel; the same arithmetic as Lerp().
__attribute__((always_inline)) inline __m128i LerpFour(__m128i a, __m128i b, __m128i w) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = _mm_unpacklo_epi8(a, b), hi = _mm_unpackhi_epi8(a, b);
  const __m128i r0 = _mm_srli_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), _mm_shuffle_epi32(w, 0x00)), 8);
  const __m128i r1 = _mm_srli_epi32(_mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), _mm_shuffle_epi32(w, 0x55)), 8);
  const __m128i r2 = _mm_srli_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), _mm_shuffle_epi32(w, 0xAA)), 8);
  const __m128i r3 = _mm_srli_epi32(_mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), _mm_shuffle_epi32(w, 0xFF)), 8);
  return _mm_packus_epi16(_mm_packs_epi32(r0, r1), _mm_packs_epi32(r2, r3));
}

// Bilinear spans whose rows stay fixed (v does not change along x: every unturned sprite).
// Four pixels at a time wherever all their texel pairs lie inside the texture; single pixels,
// clamped, elsewhere (the first or last column of a cell at the texture's edge).
template <bool DoBlend, bool DoDepth, bool DoTint>
void DrawBilinearRowSpan(const Span& s) {
  const int wMax = s.texW - 1, hMax = s.texH - 1;
  const int64_t y0 = s.v >> 16;
  const uint32_t* r0 = s.tex + size_t(ClampInt(y0, hMax)) * size_t(s.texW);
  const uint32_t* r1 = s.tex + size_t(ClampInt(y0 + 1, hMax)) * size_t(s.texW);
  const uint32_t fy = uint32_t(s.v >> 8) & 0xFF;
  const __m128i zero = _mm_setzero_si128();
  const __m128i tint = _mm_set1_epi32(int(s.tint));
  const __m128i tintLo = _mm_unpacklo_epi8(tint, zero), tintHi = _mm_unpackhi_epi8(tint, zero);
  const __m128i wy = _mm_set1_epi32(int((fy << 16) | (256 - fy)));
  const __m128 ramp = _mm_mul_ps(_mm_set1_ps(s.dzdx), _mm_set_ps(3, 2, 1, 0));
  int64_t u = s.u;
  int i = 0;
  while (i < s.count) {
    const int64_t x0 = u >> 16, x3 = (u + 3 * s.dudx) >> 16;
    if (i + 4 <= s.count && x0 >= 0 && x3 >= 0 && x0 < wMax && x3 < wMax) {
      const int64_t u1 = u + s.dudx, u2 = u1 + s.dudx, u3 = u2 + s.dudx;
      const int64_t x1 = u1 >> 16, x2 = u2 >> 16;
      auto weight = [](int64_t uk) {
        const uint32_t f = uint32_t(uk >> 8) & 0xFF;
        return int((f << 16) | (256 - f));
      };
      const __m128i wx = _mm_set_epi32(weight(u3), weight(u2), weight(u1), weight(u));
      __m128i c = LerpFour(_mm_set_epi32(int(r0[x3]), int(r0[x2]), int(r0[x1]), int(r0[x0])),
                           _mm_set_epi32(int(r0[x3 + 1]), int(r0[x2 + 1]), int(r0[x1 + 1]), int(r0[x0 + 1])), wx);
      if (fy) {
        const __m128i bottom = LerpFour(_mm_set_epi32(int(r1[x3]), int(r1[x2]), int(r1[x1]), int(r1[x0])),
                                        _mm_set_epi32(int(r1[x3 + 1]), int(r1[x2 + 1]), int(r1[x1 + 1]), int(r1[x0 + 1])), wx);
        c = LerpFour(c, bottom, wy);
      }
      __m128 z = _mm_setzero_ps();
      if constexpr (DoDepth) z = _mm_add_ps(_mm_set1_ps(s.z + s.dzdx * float(i)), ramp);
      ShadeFour<DoBlend, DoDepth, DoTint>(c, s.dst + i, DoDepth ? s.depth + i : nullptr, z, tintLo, tintHi);
      u += 4 * s.dudx;
      i += 4;
      continue;
    }
    const int xa = ClampInt(x0, wMax), xb = ClampInt(x0 + 1, wMax);
    const uint32_t fx = uint32_t(u >> 8) & 0xFF;
    uint32_t c = Lerp(r0[xa], r0[xb], fx);
    if (fy) c = Lerp(c, Lerp(r1[xa], r1[xb], fx), fy);
    ShadeOne<DoBlend, DoDepth, DoTint>(c, s.dst + i, DoDepth ? s.depth + i : nullptr, s.z + s.dzdx * float(i), s.tint);
    u += s.dudx;
    ++i;
  }
}
#endif

template <Filter F, bool DoBlend, bool DoDepth, bool DoTint>
void DrawSpanT(const Span& s) {
  Fetcher<F> fetch(s);
  int i = 0;
#if defined(__SSE2__)
  if constexpr (F == Filter::Bilinear) {
    if (s.dvdx == 0) {
      DrawBilinearRowSpan<DoBlend, DoDepth, DoTint>(s);
      return;
    }
  }
  const __m128i zero = _mm_setzero_si128();
  const __m128i tint = _mm_set1_epi32(int(s.tint));
  const __m128i tintLo = _mm_unpacklo_epi8(tint, zero), tintHi = _mm_unpackhi_epi8(tint, zero);
  const __m128 ramp = _mm_mul_ps(_mm_set1_ps(s.dzdx), _mm_set_ps(3, 2, 1, 0));
  for (; i + 4 <= s.count; i += 4) {
    __m128i c;
    if constexpr (F == Filter::Copy) {
      // Straight from the texture: four texels forwards, or backwards for a mirrored span.
      const uint32_t* p = s.tex + size_t(s.v >> 16) * size_t(s.texW) + (s.u >> 16);
      if (s.dudx > 0) {
        c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      } else {
        c = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p - i - 3)), 0x1B);
      }
    } else {
      const uint32_t t0 = fetch.Next(), t1 = fetch.Next(), t2 = fetch.Next(), t3 = fetch.Next();
      c = _mm_set_epi32(int(t3), int(t2), int(t1), int(t0));
    }
    __m128 z = _mm_setzero_ps();
    if constexpr (DoDepth) z = _mm_add_ps(_mm_set1_ps(s.z + s.dzdx * float(i)), ramp);
    ShadeFour<DoBlend, DoDepth, DoTint>(c, s.dst + i, DoDepth ? s.depth + i : nullptr, z, tintLo, tintHi);
  }
  if constexpr (F == Filter::Copy) {
    if (i < s.count) {
      Span rest = s;
      rest.u = s.u + s.dudx * i;  // the fetcher restarts at the first pixel not yet drawn
      Fetcher<F> tail(rest);
      for (; i < s.count; ++i) {
        ShadeOne<DoBlend, DoDepth, DoTint>(tail.Next(), s.dst + i, DoDepth ? s.depth + i : nullptr,
                                           s.z + s.dzdx * float(i), s.tint);
      }
    }
    return;
  }
#endif
  for (; i < s.count; ++i) {
    ShadeOne<DoBlend, DoDepth, DoTint>(fetch.Next(), s.dst + i, DoDepth ? s.depth + i : nullptr,
                                       s.z + s.dzdx * float(i), s.tint);
  }
}

using SpanFn = void (*)(const Span&);

template <Filter F>
SpanFn PickSpan(bool blend, bool depth, bool tint) {
  const int k = (blend ? 4 : 0) | (depth ? 2 : 0) | (tint ? 1 : 0);
  static const SpanFn table[8] = {
      DrawSpanT<F, false, false, false>, DrawSpanT<F, false, false, true>, DrawSpanT<F, false, true, false>,
      DrawSpanT<F, false, true, true>,   DrawSpanT<F, true, false, false>, DrawSpanT<F, true, false, true>,
      DrawSpanT<F, true, true, false>,   DrawSpanT<F, true, true, true>,
  };
  return table[k];
}

SpanFn PickSpan(Filter f, bool blend, bool depth, bool tint) {
  switch (f) {
    case Filter::Copy: return PickSpan<Filter::Copy>(blend, depth, tint);
    case Filter::Nearest: return PickSpan<Filter::Nearest>(blend, depth, tint);
    case Filter::Bilinear: break;
  }
  return PickSpan<Filter::Bilinear>(blend, depth, tint);
}

constexpr double kFixed = 65536.0;
// Texture coordinates beyond this many texels are nonsense; quads using them are not drawn, which
// keeps the fixed-point arithmetic far from overflow.
constexpr double kMaxCoordinate = double(1 << 24);

// Texel coordinates and gradients in 16.16. Nonsense from degenerate geometry (infinities, NaN,
// millions of texels per pixel) is clamped so the span arithmetic stays far from overflow.
inline int64_t ToFixed(double t) {
  if (!(t >= -2 * kMaxCoordinate)) t = t != t ? 0.0 : -2 * kMaxCoordinate;
  if (t > 2 * kMaxCoordinate) t = 2 * kMaxCoordinate;
  const double x = t * kFixed + 0.5;
  const auto i = int64_t(x);
  return double(i) > x ? i - 1 : i;  // floor, without a library call
}

// The texture gradients and depth of a triangle or rectangle, as planes over screen x and y.
struct Planes {
  double u0 = 0, v0 = 0, z0 = 0;   // at the origin point
  double ox = 0, oy = 0;           // origin point
  double dudx = 0, dudy = 0, dvdx = 0, dvdy = 0, dzdx = 0, dzdy = 0;
};

class ReferenceBackend final : public IRasterBackend {
 public:
  ReferenceBackend(SDL_Window* window, std::unique_ptr<GlPresenter> gl) : window_(window), gl_(std::move(gl)) {}

  ~ReferenceBackend() override {
    if (wrapper_) SDL_FreeSurface(wrapper_);
  }

  Result ResizeBuffers(uint32_t width, uint32_t height, bool depth) override {
    if (width == 0 || height == 0) return D3DERR_INVALIDCALL;
    w_ = int(width);
    h_ = int(height);
    colour_.assign(size_t(width) * height, 0);
    target_ = colour_.data();
    hasDepth_ = depth;
    depth_.assign(depth ? size_t(width) * height : 0, 1.0f);
    rowGeneration_.assign(depth ? height : 0, 0);
    generation_ = 1;
    if (wrapper_) SDL_FreeSurface(wrapper_);
    wrapper_ = SDL_CreateRGBSurfaceWithFormatFrom(colour_.data(), w_, h_, 32, w_ * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!wrapper_) return E_OUTOFMEMORY;
    SDL_SetSurfaceBlendMode(wrapper_, SDL_BLENDMODE_NONE);
    return S_OK;
  }

  Result Clear(uint32_t flags, uint32_t argb, float z, uint32_t) override {
    if (flags & CLEAR_TARGET) std::fill_n(Target(), colour_.size(), argb);
    if ((flags & CLEAR_ZBUFFER) && hasDepth_) {
      depthClear_ = z;
      if (++generation_ == 0) {  // wrapped: make every row stale again
        std::fill(rowGeneration_.begin(), rowGeneration_.end(), 0);
        generation_ = 1;
      }
    }
    return S_OK;
  }

  Result DrawQuads(const TextureImage& texture, std::span<const Quad> quads, const DrawState& state) override {
    if (texture.width == 0 || texture.height == 0 || texture.argb.size() != size_t(texture.width) * texture.height) {
      return D3DERR_INVALIDCALL;
    }
    tex_ = &texture;
    Target();
    state_ = state;
    useDepth_ = state.depthTest && hasDepth_;
    for (const Quad& q : quads) {
      if (!Sane(q)) continue;
      tint_ = q.tint;
      if (state.fillMode != FILL_SOLID) {
        DrawWireTriangle(q.v[0], q.v[1], q.v[2]);
        DrawWireTriangle(q.v[2], q.v[1], q.v[3]);
      } else if (!DrawRectangle(q)) {
        DrawTriangle(q.v[0], q.v[1], q.v[2]);
        DrawTriangle(q.v[2], q.v[1], q.v[3]);
      }
    }
    tex_ = nullptr;
    return S_OK;
  }

  void ForgetTexture(uint64_t) override {}  // textures are used straight from memory

  // A window surface shows a frame at once, and the OpenGL path keeps swap interval 0 to match.
  void SetPresentInterval(uint32_t) override {}

  Result Present() override {
    if (gl_) return gl_->Present(colour_.data(), w_, h_) ? S_OK : E_FAIL;
    const bool inPlace = Target() != colour_.data();
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface || !wrapper_) return E_FAIL;
    if (!inPlace) {
      const int scale = WholeScale(w_, h_, surface->w, surface->h);
      if (scale > 1 && Plain32(surface)) {
        ScaleUp(colour_.data(), w_, h_, scale, static_cast<uint32_t*>(surface->pixels), surface->pitch / 4);
      } else if (SDL_BlitScaled(wrapper_, nullptr, surface, nullptr) != 0) {
        return E_FAIL;
      }
    }
    MakeOpaque(surface);
    return SDL_UpdateWindowSurface(window_) == 0 ? S_OK : E_FAIL;
  }

  Result ReadBack(std::vector<uint32_t>& argb, uint32_t& width, uint32_t& height) override {
    const uint32_t* from = Target();
    argb.assign(from, from + colour_.size());
    width = uint32_t(w_);
    height = uint32_t(h_);
    return S_OK;
  }

 private:
  // Drawing goes straight into the window's surface when it has the back buffer's size and pixel
  // layout, as SDL's own software renderer does: Present then copies nothing. The surface belongs
  // to SDL and is replaced when the window changes, so it is looked up again at every Clear, draw,
  // Present and read-back; when it does not fit, the private buffer is drawn and Present blits it.
  uint32_t* Target() {
    SDL_Surface* s = gl_ ? nullptr : SDL_GetWindowSurface(window_);
    const bool fits = s && s->w == w_ && s->h == h_ && s->pitch == w_ * 4 && Plain32(s);
    uint32_t* wanted = fits ? static_cast<uint32_t*>(s->pixels) : colour_.data();
    // Coming from the private buffer, its picture moves along; an earlier surface may be gone.
    if (wanted != target_ && target_ == colour_.data()) std::copy(colour_.begin(), colour_.end(), wanted);
    target_ = wanted;
    return target_;
  }

  // Every pixel shown carries alpha 255, also in a format whose fourth byte is "unused": a
  // compositor or a screenshot tool may read that byte as alpha, and blending or a blit leaves
  // anything there. Drawing straight into the surface loses nothing by it: the back buffer's alpha
  // after a present is undefined.
  static void MakeOpaque(SDL_Surface* s) {
    if (!Plain32(s)) return;
    for (int y = 0; y < s->h; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + ptrdiff_t(y) * s->pitch);
      for (int x = 0; x < s->w; ++x) row[x] |= 0xFF000000u;
    }
  }

  // 0xAARRGGBB words (alpha ignored on the screen), written directly.
  static bool Plain32(const SDL_Surface* s) {
    return !SDL_MUSTLOCK(s) && s->pitch % 4 == 0 &&
           (s->format->format == SDL_PIXELFORMAT_RGB888 || s->format->format == SDL_PIXELFORMAT_ARGB8888);
  }

  static bool Sane(const Quad& q) {
    for (const QuadVertex& v : q.v) {
      // Written so that NaN fails every test.
      if (!std::isfinite(v.z) || !(std::fabs(v.u) <= kMaxCoordinate) || !(std::fabs(v.v) <= kMaxCoordinate) ||
          !(std::fabs(v.x) <= kMaxCoordinate) || !(std::fabs(v.y) <= kMaxCoordinate)) {
        return false;
      }
    }
    return true;
  }

  float* DepthRow(int y) {
    if (!useDepth_) return nullptr;
    float* row = &depth_[size_t(y) * w_];
    if (rowGeneration_[y] != generation_) {
      std::fill(row, row + w_, depthClear_);
      rowGeneration_[y] = generation_;
    }
    return row;
  }

  // Chooses the filter for a footprint of `texelsPerPixel` and whether the mapping is exact
  // (one texel per pixel, texel centres on pixel centres), where any filter is a plain copy.
  Filter ChooseFilter(double texelsPerPixel) const {
    const uint32_t f = texelsPerPixel > 1.0 + 1e-6 ? state_.minFilter : state_.magFilter;
    return f == TEXF_LINEAR ? Filter::Bilinear : Filter::Nearest;
  }

  // Fills in what every span of this draw shares.
  void BaseSpan(Span& s, int count) const {
    s.count = count;
    s.tex = tex_->argb.data();
    s.texW = int(tex_->width);
    s.texH = int(tex_->height);
    s.tint = tint_;
  }

  // Depth from zStart at the first pixel to zEnd at the last, both kept inside [0, 1].
  static void DepthRamp(Span& s, double zStart, double zEnd) {
    s.z = std::clamp(float(zStart), 0.0f, 1.0f);
    s.dzdx = 0.0f;
    if (zEnd != zStart && s.count > 1) s.dzdx = (std::clamp(float(zEnd), 0.0f, 1.0f) - s.z) / float(s.count - 1);
  }

  // Points the span at row y, pixel x0, and draws it with the filter, or a plain copy where one
  // texel falls on each pixel: nearest always, bilinear when texel centres sit on pixel centres
  // (all weights 0); only when every texel of the span lies inside the texture (no clamping).
  void DrawSpan(Span& s, int y, int x0, Filter filter) {
    s.dst = target_ + (size_t(y) * w_ + x0);
    s.depth = useDepth_ ? DepthRow(y) + x0 : nullptr;
    if ((s.dudx == 65536 || s.dudx == -65536) && s.dvdx == 0) {
      const int64_t first = s.u >> 16, last = (s.u + s.dudx * (s.count - 1)) >> 16, row = s.v >> 16;
      const bool aligned = filter == Filter::Nearest || ((s.u & 0xFFFF) == 0 && (s.v & 0xFFFF) == 0);
      if (aligned && first >= 0 && last >= 0 && first < s.texW && last < s.texW && row >= 0 && row < s.texH) {
        filter = Filter::Copy;
      }
    }
    PickSpan(filter, state_.alphaBlend, useDepth_, tint_ != 0xFFFFFFFFu)(s);
  }

  // Draws row y from pixel x0 (inclusive) to x1 (exclusive) with the planes evaluated at the
  // first pixel's centre.
  void Row(int y, int x0, int x1, const Planes& p, Filter filter) {
    if (x0 < 0) x0 = 0;
    if (x1 > w_) x1 = w_;
    if (x0 >= x1) return;
    const double xc = x0 + 0.5 - p.ox, yc = y + 0.5 - p.oy;
    const double half = filter == Filter::Bilinear ? 0.5 : 0.0;
    Span s;
    BaseSpan(s, x1 - x0);
    s.u = ToFixed(p.u0 + xc * p.dudx + yc * p.dudy - half);
    s.v = ToFixed(p.v0 + xc * p.dvdx + yc * p.dvdy - half);
    s.dudx = ToFixed(p.dudx);
    s.dvdx = ToFixed(p.dvdx);
    const double z = p.z0 + xc * p.dzdx + yc * p.dzdy;
    DepthRamp(s, z, z + (s.count - 1) * p.dzdx);
    DrawSpan(s, y, x0, filter);
  }

  // Axis-aligned rectangles (unturned sprites, mirrored or scaled): one span per row.
  bool DrawRectangle(const Quad& q) {
    const QuadVertex &a = q.v[0], &b = q.v[1], &c = q.v[2], &d = q.v[3];
    if (!(a.y == b.y && c.y == d.y && a.x == c.x && b.x == d.x && a.x != b.x && a.y != c.y)) return false;
    if (!(a.u == c.u && b.u == d.u && a.v == b.v && c.v == d.v)) return false;
    if (std::fabs(double(a.z) + d.z - b.z - c.z) > 1e-6) return false;  // not a plane: two triangles
    Planes p;
    p.ox = a.x;
    p.oy = a.y;
    p.u0 = a.u;
    p.v0 = a.v;
    p.z0 = a.z;
    p.dudx = (double(b.u) - a.u) / (double(b.x) - a.x);
    p.dvdy = (double(c.v) - a.v) / (double(c.y) - a.y);
    p.dzdx = (double(b.z) - a.z) / (double(b.x) - a.x);
    p.dzdy = (double(c.z) - a.z) / (double(c.y) - a.y);
    const Filter filter = ChooseFilter(std::max(std::fabs(p.dudx), std::fabs(p.dvdy)));
    const double xl = std::min(a.x, b.x), xr = std::max(a.x, b.x);
    const double yt = std::min(a.y, c.y), yb = std::max(a.y, c.y);
    const int x0 = int(std::ceil(xl - 0.5)), x1 = int(std::ceil(xr - 0.5));
    const int y0 = std::max(0, int(std::ceil(yt - 0.5))), y1 = std::min(h_, int(std::ceil(yb - 0.5)));
    // Everything along x is the same on every row; only v and depth change from row to row.
    const int cx0 = std::max(x0, 0), cx1 = std::min(x1, w_);
    if (cx0 >= cx1 || y0 >= y1) return true;
    const double xc = cx0 + 0.5 - p.ox, half = filter == Filter::Bilinear ? 0.5 : 0.0;
    Span base;
    BaseSpan(base, cx1 - cx0);
    base.u = ToFixed(p.u0 + xc * p.dudx - half);
    base.dudx = ToFixed(p.dudx);
    for (int y = y0; y < y1; ++y) {
      const double yc = y + 0.5 - p.oy;
      Span s = base;
      s.v = ToFixed(p.v0 + yc * p.dvdy - half);
      const double z = p.z0 + xc * p.dzdx + yc * p.dzdy;
      DepthRamp(s, z, z + (s.count - 1) * p.dzdx);
      DrawSpan(s, y, cx0, filter);
    }
    return true;
  }

  void DrawTriangle(const QuadVertex& a, const QuadVertex& b, const QuadVertex& c) {
    const double det = (double(b.x) - a.x) * (double(c.y) - a.y) - (double(c.x) - a.x) * (double(b.y) - a.y);
    if (std::fabs(det) < 1e-12) return;
    Planes p;
    p.ox = a.x;
    p.oy = a.y;
    p.u0 = a.u;
    p.v0 = a.v;
    p.z0 = a.z;
    auto gradients = [&](double fa, double fb, double fc, double& ddx, double& ddy) {
      ddx = ((fb - fa) * (double(c.y) - a.y) - (fc - fa) * (double(b.y) - a.y)) / det;
      ddy = ((fc - fa) * (double(b.x) - a.x) - (fb - fa) * (double(c.x) - a.x)) / det;
    };
    gradients(a.u, b.u, c.u, p.dudx, p.dudy);
    gradients(a.v, b.v, c.v, p.dvdx, p.dvdy);
    gradients(a.z, b.z, c.z, p.dzdx, p.dzdy);
    const double footprint = std::max(std::hypot(p.dudx, p.dvdx), std::hypot(p.dudy, p.dvdy));
    const Filter filter = ChooseFilter(footprint);

    // Edges oriented top to bottom (ties by x) so an edge shared by two triangles gives
    // bit-identical crossings in both, and their pixels meet without gaps or overlap.
    struct Edge {
      double x, y, yEnd, slope;
    };
    Edge edges[3];
    int n = 0;
    const QuadVertex* pts[3] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) {
      const QuadVertex* p0 = pts[i];
      const QuadVertex* p1 = pts[(i + 1) % 3];
      if (p0->y == p1->y) continue;
      if (p0->y > p1->y || (p0->y == p1->y && p0->x > p1->x)) std::swap(p0, p1);
      edges[n++] = Edge{p0->x, p0->y, p1->y, (double(p1->x) - p0->x) / (double(p1->y) - p0->y)};
    }
    const double top = std::min({a.y, b.y, c.y}), bottom = std::max({a.y, b.y, c.y});
    const int y0 = std::max(0, int(std::ceil(top - 0.5))), y1 = std::min(h_, int(std::ceil(bottom - 0.5)));
    for (int y = y0; y < y1; ++y) {
      const double yc = y + 0.5;
      double xs[2];
      int k = 0;
      for (int e = 0; e < n && k < 2; ++e) {
        if (yc >= edges[e].y && yc < edges[e].yEnd) xs[k++] = edges[e].x + (yc - edges[e].y) * edges[e].slope;
      }
      if (k < 2) continue;
      if (xs[0] > xs[1]) std::swap(xs[0], xs[1]);
      Row(y, int(std::ceil(xs[0] - 0.5)), int(std::ceil(xs[1] - 0.5)), p, filter);
    }
  }

  // Wireframe: the triangle's three edges, one fragment per pixel step, nearest texels.
  void DrawWireTriangle(const QuadVertex& a, const QuadVertex& b, const QuadVertex& c) {
    DrawLine(a, b);
    DrawLine(b, c);
    DrawLine(c, a);
  }

  void DrawLine(const QuadVertex& p, const QuadVertex& q) {
    const double dx = double(q.x) - p.x, dy = double(q.y) - p.y;
    const int steps = std::max(1, int(std::ceil(std::max(std::fabs(dx), std::fabs(dy)))));
    if (steps > 4 * (w_ + h_) + 16) return;  // far outside: nothing worth walking
    for (int i = 0; i <= steps; ++i) {
      const double t = double(i) / steps;
      const int x = int(std::floor(p.x + dx * t)), y = int(std::floor(p.y + dy * t));
      if (x < 0 || y < 0 || x >= w_ || y >= h_) continue;
      Span s;
      s.dst = target_ + (size_t(y) * w_ + x);
      s.depth = useDepth_ ? DepthRow(y) + x : nullptr;
      s.count = 1;
      s.tex = tex_->argb.data();
      s.texW = int(tex_->width);
      s.texH = int(tex_->height);
      s.u = ToFixed(p.u + (double(q.u) - p.u) * t);
      s.v = ToFixed(p.v + (double(q.v) - p.v) * t);
      s.z = std::clamp(float(p.z + (double(q.z) - p.z) * t), 0.0f, 1.0f);
      s.tint = tint_;
      PickSpan(Filter::Nearest, state_.alphaBlend, useDepth_, tint_ != 0xFFFFFFFFu)(s);
    }
  }

  SDL_Window* window_;
  std::unique_ptr<GlPresenter> gl_;
  SDL_Surface* wrapper_ = nullptr;  // the colour buffer seen as an SDL surface, for scaled blits
  int w_ = 0, h_ = 0;
  std::vector<uint32_t> colour_;   // the back buffer when the window's surface cannot be drawn into
  uint32_t* target_ = nullptr;      // the pixels drawn into: colour_ or the window's surface
  std::vector<float> depth_;
  bool hasDepth_ = false;
  std::vector<uint32_t> rowGeneration_;  // a depth row is valid when its generation is current
  uint32_t generation_ = 1;
  float depthClear_ = 1.0f;

  // Per DrawQuads call.
  const TextureImage* tex_ = nullptr;
  DrawState state_;
  bool useDepth_ = false;
  uint32_t tint_ = 0xFFFFFFFFu;
};

}  // namespace

std::unique_ptr<IRasterBackend> CreateReferenceBackend(SDL_Window* window) {
  if (!window) return nullptr;
  std::unique_ptr<GlPresenter> gl;
  // Where OpenGL fails on the window after all, its surface serves.
  if (SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) gl = CreateGlPresenter(window);
  return std::make_unique<ReferenceBackend>(window, std::move(gl));
}

}  // namespace plat::gfx
