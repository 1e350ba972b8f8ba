#pragma once
// Drawing helpers shared by the art generator: owned Cairo handles, the palette, smooth shapes,
// shaded fills and outlined text in the game's font.
#include <cairo.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace art {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct FaceDeleter {
  void operator()(cairo_font_face_t* f) const { cairo_font_face_destroy(f); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;
using FontFace = std::unique_ptr<cairo_font_face_t, FaceDeleter>;

Surface NewSurface(int width, int height);  // fully transparent ARGB
Context NewContext(const Surface& surface);

struct Rgb {
  double r, g, b;
};
Rgb Hex(unsigned value);
Rgb Mix(Rgb a, Rgb b, double t);

// One sixteen-colour palette for everything, so creatures and menus belong together.
namespace pal {
inline const Rgb ink = Hex(0x1a1c2c);
inline const Rgb plum = Hex(0x5d275d);
inline const Rgb red = Hex(0xb13e53);
inline const Rgb orange = Hex(0xef7d57);
inline const Rgb gold = Hex(0xffcd75);
inline const Rgb lime = Hex(0xa7f070);
inline const Rgb green = Hex(0x38b764);
inline const Rgb teal = Hex(0x257179);
inline const Rgb navy = Hex(0x29366f);
inline const Rgb blue = Hex(0x3b5dc9);
inline const Rgb sky = Hex(0x41a6f6);
inline const Rgb cyan = Hex(0x73eff7);
inline const Rgb white = Hex(0xf4f4f4);
inline const Rgb silver = Hex(0x94b0c2);
inline const Rgb slate = Hex(0x566c86);
inline const Rgb shadow = Hex(0x333c57);
}  // namespace pal

void SetColour(cairo_t* cr, Rgb c, double alpha = 1.0);

struct Pt {
  double x, y;
};
// Closed smooth curve through the points (Catmull-Rom turned into Bezier segments).
void SmoothPath(cairo_t* cr, const std::vector<Pt>& points, double tension = 1.0);
// Open smooth curve through the points.
void SmoothOpenPath(cairo_t* cr, const std::vector<Pt>& points);
void PolyPath(cairo_t* cr, const std::vector<Pt>& points);  // closed, straight edges
void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry);
void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double r);

// Fills the current path with a light-from-top-left gradient from `light` through `mid` to
// `dark` over the box, then strokes it with the ink outline. The path is consumed.
void ShadeAndOutline(cairo_t* cr, Rgb light, Rgb mid, Rgb dark, double x0, double y0, double x1,
                     double y1, double outline = 2.0);
void FillShaded(cairo_t* cr, Rgb light, Rgb mid, Rgb dark, double x0, double y0, double x1, double y1);
// A soft white gloss spot, for volume.
void Gloss(cairo_t* cr, double cx, double cy, double rx, double ry, double alpha = 0.55);
// The soft ground shadow under a creature.
void GroundShadow(cairo_t* cr, double cx, double cy, double rx);
// An eye looking left: white, pupil, glint.
void Eye(cairo_t* cr, double cx, double cy, double r, Rgb iris = Hex(0x1a1c2c));

// Text in the game's font.
class Font {
 public:
  // Matches "MS Gothic" in bold through fontconfig, with the game's own font rules when the
  // file exists; reports the face it chose on stdout.
  explicit Font(const std::string& gameRulesFile);
  cairo_font_face_t* Face() const { return face_.get(); }
  std::string Description() const { return description_; }
  double Width(cairo_t* cr, const std::string& text, double size) const;
  // Draws text with its baseline at y, an outline of `outline` pixels around every glyph.
  void Draw(cairo_t* cr, const std::string& text, double x, double y, double size, Rgb fill,
            Rgb outline, double outlineAlpha = 1.0) const;
  // Baseline that centres capital letters vertically on `centreY`.
  double CentredBaseline(cairo_t* cr, double centreY, double size) const;

 private:
  void Select(cairo_t* cr, double size) const;
  FontFace face_;
  std::string description_;
};

void WritePng(const Surface& surface, const std::string& path);

}  // namespace art
