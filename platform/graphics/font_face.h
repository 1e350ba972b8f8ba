#pragma once
// Inside platform/ only: a FreeType face found through fontconfig, rasterising single glyphs
// as 8-bit coverage. The device font packs them into its atlas.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

struct GlyphBitmap {
  int width = 0, height = 0;  // 0 for blank glyphs (space)
  int left = 0;               // from the pen position to the first column
  int top = 0;                // from the baseline up to the first row
  int advance = 0;            // whole pixels, no kerning
  std::vector<uint8_t> coverage;  // width*height, rows top first
};

class FontFace {
 public:
  // Finds the face closest to `family` (UTF-8) for the given GDI-style height (< 0: character
  // height, > 0: cell height, 0: default) and weight (700 bold), falling back to any sans font
  // and then to any outline font. Null only when no usable font exists at all.
  static std::unique_ptr<FontFace> Open(const std::string& family, int height, uint32_t weight);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  int Ascent() const { return ascent_; }          // baseline below the line top, pixels
  int LineHeight() const { return lineHeight_; }  // ascent plus descent
  bool Emboldened() const { return embolden_; }
  const std::string& FamilyName() const { return familyName_; }
  const std::string& FilePath() const { return filePath_; }

  // False for characters the face cannot render at all (the result is then left blank).
  bool Rasterise(char32_t character, GlyphBitmap& out);

 private:
  struct Impl;
  explicit FontFace(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
  int ascent_ = 0, lineHeight_ = 0;
  bool embolden_ = false;
  std::string familyName_, filePath_;
};

}  // namespace plat
