#include "platform/graphics/font_face.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plat {
namespace {

// platform/graphics/fonts.conf, built into the program.
constexpr char kFontRules[] =
#include "fonts_conf.inc"
    ;

// One configuration for the process: the system's rules and fonts plus the game's rules. Kept
// private so the game's preferences do not leak into anything else that uses fontconfig.
FcConfig* GameFontConfig() {
  static FcConfig* const config = [] {
    FcConfig* c = FcInitLoadConfigAndFonts();
    // The rules are a preference only; without them the system still resolves every name.
    if (c) FcConfigParseAndLoadFromMemory(c, reinterpret_cast<const FcChar8*>(kFontRules), FcTrue);
    return c;
  }();
  return config;
}

struct PatternDeleter { void operator()(FcPattern* p) const { FcPatternDestroy(p); } };
struct FontSetDeleter { void operator()(FcFontSet* s) const { FcFontSetDestroy(s); } };
struct ObjectSetDeleter { void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); } };
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

struct Candidate {
  std::string file;
  int index = 0;
  bool embolden = false;  // fontconfig asks for synthetic bold
  std::string family;
};

bool ReadCandidate(FcPattern* font, Candidate& out) {
  FcChar8* file = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !file) return false;
  out.file = reinterpret_cast<const char*>(file);
  int index = 0;
  out.index = FcPatternGetInteger(font, FC_INDEX, 0, &index) == FcResultMatch ? index : 0;
  FcBool embolden = FcFalse;
  out.embolden = FcPatternGetBool(font, FC_EMBOLDEN, 0, &embolden) == FcResultMatch && embolden;
  FcChar8* family = nullptr;
  if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch && family)
    out.family = reinterpret_cast<const char*>(family);
  return true;
}

// The best match for the name, then the best sans match, then every scalable font there is.
std::vector<Candidate> FindCandidates(const std::string& family, bool bold) {
  std::vector<Candidate> found;
  FcConfig* config = GameFontConfig();
  if (!config) return found;
  for (const std::string& name : {family, std::string("sans-serif")}) {
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) continue;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(config, pattern.get(), &result));
    Candidate c;
    if (match && ReadCandidate(match.get(), c)) found.push_back(std::move(c));
  }
  PatternPtr all(FcPatternCreate());
  std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(
      FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FAMILY, static_cast<char*>(nullptr)));
  if (all && objects) {
    FcPatternAddBool(all.get(), FC_SCALABLE, FcTrue);
    std::unique_ptr<FcFontSet, FontSetDeleter> list(FcFontList(config, all.get(), objects.get()));
    for (int i = 0; list && i < list->nfont; ++i) {
      Candidate c;
      if (ReadCandidate(list->fonts[i], c)) found.push_back(std::move(c));
    }
  }
  return found;
}

}  // namespace

struct FontFace::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Impl() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

FontFace::FontFace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
FontFace::~FontFace() = default;

std::unique_ptr<FontFace> FontFace::Open(const std::string& family, int height, uint32_t weight) {
  const bool bold = weight >= 600;
  auto impl = std::make_unique<Impl>();
  if (FT_Init_FreeType(&impl->library) != 0) return nullptr;
  for (const Candidate& c : FindCandidates(family.empty() ? "sans-serif" : family, bold)) {
    FT_Face face = nullptr;
    if (FT_New_Face(impl->library, c.file.c_str(), c.index, &face) != 0) continue;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0 || face->ascender - face->descender <= 0) {
      FT_Done_Face(face);
      continue;
    }
    // Negative heights are the em size; positive ones the whole cell (ascent plus descent).
    const double cellUnits = double(face->ascender) - double(face->descender);
    int em = 16;
    if (height < 0) em = -height;
    if (height > 0) em = std::max(1, int(std::lround(height * double(face->units_per_EM) / cellUnits)));
    em = std::min(em, 1024);
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(em)) != 0) {
      FT_Done_Face(face);
      continue;
    }
    impl->face = face;
    std::unique_ptr<FontFace> result(new FontFace(std::move(impl)));
    const double scale = double(em) / face->units_per_EM;
    result->ascent_ = int(std::lround(face->ascender * scale));
    result->lineHeight_ = std::max(1, result->ascent_ + int(std::lround(-face->descender * scale)));
    result->embolden_ = bold && (c.embolden || !(face->style_flags & FT_STYLE_FLAG_BOLD));
    result->familyName_ = face->family_name ? face->family_name : c.family;
    result->filePath_ = c.file;
    return result;
  }
  return nullptr;
}

bool FontFace::Rasterise(char32_t character, GlyphBitmap& out) {
  out = GlyphBitmap{};
  if (character < 0x20 || (character >= 0x7F && character < 0xA0)) return false;  // controls
  FT_Face face = impl_->face;
  const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(character));  // 0: the face's box
  // Outlines only: embedded bitmaps would not embolden or scale the same way on every size.
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (embolden_) FT_GlyphSlot_Embolden(slot);
  out.advance = int((slot->advance.x + 32) >> 6);
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_LIGHT) != 0) return true;  // blank but spaced
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0) return true;
  out.width = int(bitmap.width);
  out.height = int(bitmap.rows);
  out.left = slot->bitmap_left;
  out.top = slot->bitmap_top;
  out.coverage.resize(size_t(out.width) * size_t(out.height));
  const int pitch = bitmap.pitch;
  // A negative pitch means the rows are stored bottom first.
  const unsigned char* firstRow = pitch >= 0 ? bitmap.buffer : bitmap.buffer + ptrdiff_t(-pitch) * (out.height - 1);
  for (int y = 0; y < out.height; ++y)
    std::memcpy(out.coverage.data() + size_t(y) * size_t(out.width), firstRow + ptrdiff_t(y) * pitch, size_t(out.width));
  return true;
}

}  // namespace plat
