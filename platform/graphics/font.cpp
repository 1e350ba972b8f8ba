// The device-independent font: FreeType glyphs packed into one atlas texture of the device and
// drawn as sprites at depth 0, so every device shows text by the same sprite rules.
#include <algorithm>
#include <array>
#include <cwchar>
#include <unordered_map>

#include "platform/graphics/font_face.h"
#include "platform/graphics/graphics.h"
#include "platform/system/text.h"

namespace plat {
namespace {

constexpr uint32_t kAtlasWidth = 256;
constexpr uint32_t kMaxAtlasHeight = 2048;

struct Glyph {
  bool known = false;     // rasterised (or found blank)
  bool inAtlas = false;   // has a cell in the atlas
  int16_t x = 0, y = 0, width = 0, height = 0;  // cell in the atlas
  int16_t left = 0, top = 0, advance = 0;
};

// Glyph coverage as white texels whose alpha is the coverage, packed in shelves. Grows downwards;
// the device copy is made again whenever it changed.
class GlyphAtlas {
 public:
  bool Place(const GlyphBitmap& bitmap, Glyph& glyph) {
    // One blank texel around every glyph keeps linear filtering from bleeding neighbours in.
    const int w = bitmap.width + 1, h = bitmap.height + 1;
    if (w + 1 > int(kAtlasWidth)) return false;
    if (shelfX_ + w + 1 > int(kAtlasWidth)) {
      shelfY_ += shelfHeight_;
      shelfX_ = 0;
      shelfHeight_ = 0;
    }
    const uint32_t needed = uint32_t(shelfY_ + h + 1);
    if (needed > height_) {
      uint32_t grown = std::max<uint32_t>(height_, 64);
      while (grown < needed) grown *= 2;
      if (grown > kMaxAtlasHeight) return false;
      height_ = grown;
      pixels_.resize(size_t(kAtlasWidth) * height_, 0x00FFFFFFu);
    }
    glyph.x = int16_t(shelfX_ + 1);
    glyph.y = int16_t(shelfY_ + 1);
    glyph.width = int16_t(bitmap.width);
    glyph.height = int16_t(bitmap.height);
    for (int row = 0; row < bitmap.height; ++row) {
      uint32_t* dst = &pixels_[size_t(glyph.y + row) * kAtlasWidth + size_t(glyph.x)];
      const uint8_t* src = &bitmap.coverage[size_t(row) * size_t(bitmap.width)];
      for (int col = 0; col < bitmap.width; ++col) dst[col] = (uint32_t(src[col]) << 24) | 0x00FFFFFFu;
    }
    shelfX_ += w;
    shelfHeight_ = std::max(shelfHeight_, h);
    changed_ = true;
    return true;
  }
  uint32_t Width() const { return kAtlasWidth; }
  uint32_t Height() const { return height_; }
  const std::vector<uint32_t>& Pixels() const { return pixels_; }
  bool Changed() const { return changed_; }
  void MarkUploaded() { changed_ = false; }

 private:
  uint32_t height_ = 0;
  std::vector<uint32_t> pixels_;
  int shelfX_ = 0, shelfY_ = 0, shelfHeight_ = 0;
  bool changed_ = false;
};

struct LineSpan {
  int begin = 0, end = 0;  // characters drawn on the line
};

bool IsLineBreak(wchar_t c) { return c == L'\n' || c == L'\r'; }

Matrix IdentityMatrix() {
  Matrix m;
  for (int i = 0; i < 4; ++i) m.m[size_t(i)][size_t(i)] = 1.0f;
  return m;
}

class DeviceFont final : public IFont {
 public:
  DeviceFont(IDevice& device, std::unique_ptr<FontFace> face) : device_(device), face_(std::move(face)) {
    lines_.reserve(16);
    // The characters the game writes are ready before the first frame.
    for (char32_t c = 0x20; c < 0x7F; ++c) Lookup(c);
  }

  int DrawText(ISprite* sprite, const wchar_t* text, int count, RectI* rect, uint32_t format,
               uint32_t colour) override {
    if (!text) return 0;
    const int length = Length(text, count);
    const RectI box = rect ? *rect : RectI{};
    const bool clip = rect && !(format & DT_NOCLIP);
    const bool wrap = (format & DT_WORDBREAK) != 0;
    Layout(text, length, wrap, box.right - box.left);
    const int textHeight = int(lines_.size()) * face_->LineHeight();
    if (length == 0) return 0;

    if (Failed(EnsureAtlasTexture(sprite != nullptr))) return 0;
    ISprite* target = sprite;
    if (!target) {
      if (!sprite_ && Failed(device_.CreateSprite(sprite_))) return 0;
      target = sprite_.get();
      if (Failed(target->Begin(SPRITE_ALPHABLEND))) return 0;
      target->SetTransform(IdentityMatrix());
    }

    int lineTop = box.top;
    for (const LineSpan& line : lines_) {
      if (clip && lineTop >= box.bottom) break;
      const int baseline = lineTop + face_->Ascent();
      int pen = box.left;
      for (int i = line.begin; i < line.end; ++i) {
        const Glyph& g = Lookup(static_cast<char32_t>(text[i]));
        if (g.inAtlas) DrawGlyph(*target, g, pen + g.left, baseline - g.top, clip, box, colour);
        pen += g.advance;
      }
      lineTop += face_->LineHeight();
    }

    if (!sprite) target->End();
    return textHeight;
  }

  Result OnLostDevice() override {
    sprite_.reset();
    texture_.reset();
    retired_.clear();
    callerBatchMayHoldAtlas_ = false;
    return S_OK;
  }
  // Device objects come back lazily at the next draw, so a reset notice is not needed.
  Result OnResetDevice() override { return S_OK; }

 private:
  static int Length(const wchar_t* text, int count) {
    if (count < 0) return int(std::wcslen(text));
    // Never read past a terminator, whatever the count says.
    int n = 0;
    while (n < count && text[n] != L'\0') ++n;
    return n;
  }

  const Glyph& Lookup(char32_t c) {
    Glyph& g = c < ascii_.size() ? ascii_[c] : others_[c];
    if (!g.known) {
      g.known = true;
      if (face_->Rasterise(c, bitmap_)) {
        g.advance = int16_t(bitmap_.advance);
        g.left = int16_t(bitmap_.left);
        g.top = int16_t(bitmap_.top);
        g.inAtlas = bitmap_.width > 0 && atlas_.Place(bitmap_, g);
      }
    }
    return g;
  }

  // Breaks the text into lines: at line feeds, and with `wrap` before the word that would pass
  // `width` (inside a word only when the word alone is wider than the box).
  void Layout(const wchar_t* text, int length, bool wrap, int width) {
    lines_.clear();
    if (length == 0) return;
    int i = 0;
    for (;;) {
      const int start = i;
      int pen = 0;
      int breakAt = -1;  // end of the line if it wraps at the last space run
      bool wrapped = false;
      while (i < length && !IsLineBreak(text[i])) {
        const wchar_t c = text[i];
        const int advance = Lookup(static_cast<char32_t>(c)).advance;
        if (wrap && c != L' ' && pen + advance > width && i > start) {
          if (breakAt >= 0) {
            lines_.push_back({start, breakAt});
            i = breakAt;
            while (i < length && text[i] == L' ') ++i;
          } else {
            lines_.push_back({start, i});
          }
          wrapped = true;
          break;
        }
        if (c == L' ' && i > start && text[i - 1] != L' ') breakAt = i;
        pen += advance;
        ++i;
      }
      if (wrapped) {
        if (i >= length) return;
        continue;
      }
      lines_.push_back({start, i});
      if (i >= length) return;
      // "\r\n" is one break.
      i += (text[i] == L'\r' && i + 1 < length && text[i + 1] == L'\n') ? 2 : 1;
    }
  }

  Result EnsureAtlasTexture(bool callerSprite) {
    if (atlas_.Height() == 0) return S_OK;  // nothing visible rasterised yet
    if (!texture_ || atlas_.Changed()) {
      std::unique_ptr<ITexture> fresh;
      const Result hr = device_.CreateTextureFromPixels(atlas_.Width(), atlas_.Height(), atlas_.Pixels(), fresh);
      if (Failed(hr)) return hr;
      // A caller's batch may still refer to the old atlas until its End: keep it until the
      // device goes away.
      if (texture_ && callerBatchMayHoldAtlas_) retired_.push_back(std::move(texture_));
      texture_ = std::move(fresh);
      atlas_.MarkUploaded();
    }
    if (callerSprite) callerBatchMayHoldAtlas_ = true;
    return S_OK;
  }

  void DrawGlyph(ISprite& target, const Glyph& g, int x, int y, bool clip, const RectI& box, uint32_t colour) {
    RectI src{g.x, g.y, g.x + g.width, g.y + g.height};
    if (clip) {
      const int x0 = std::max(x, box.left), y0 = std::max(y, box.top);
      const int x1 = std::min(x + g.width, box.right), y1 = std::min(y + g.height, box.bottom);
      if (x0 >= x1 || y0 >= y1) return;
      src = RectI{g.x + (x0 - x), g.y + (y0 - y), g.x + (x1 - x), g.y + (y1 - y)};
      x = x0;
      y = y0;
    }
    const Vec3 position{float(x), float(y), 0.0f};
    target.Draw(texture_.get(), &src, nullptr, &position, colour);
  }

  IDevice& device_;
  std::unique_ptr<FontFace> face_;
  GlyphAtlas atlas_;
  std::array<Glyph, 128> ascii_{};
  std::unordered_map<char32_t, Glyph> others_;
  GlyphBitmap bitmap_;  // scratch, keeps its buffer
  std::vector<LineSpan> lines_;
  std::unique_ptr<ITexture> texture_;
  std::vector<std::unique_ptr<ITexture>> retired_;
  std::unique_ptr<ISprite> sprite_;
  bool callerBatchMayHoldAtlas_ = false;
};

}  // namespace

Result CreateDeviceFont(IDevice& device, int height, uint32_t weight, const std::wstring& faceName,
                        std::unique_ptr<IFont>& out) {
  out.reset();
  std::unique_ptr<FontFace> face = FontFace::Open(WideToUtf8(faceName), height, weight);
  if (!face) return E_FAIL;
  out = std::make_unique<DeviceFont>(device, std::move(face));
  return S_OK;
}

}  // namespace plat
