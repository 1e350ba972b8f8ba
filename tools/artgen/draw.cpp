#include "draw.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace art {

Surface NewSurface(int width, int height) {
  Surface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cairo surface");
  return s;
}

Context NewContext(const Surface& surface) {
  Context c(cairo_create(surface.get()));
  cairo_set_line_join(c.get(), CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(c.get(), CAIRO_LINE_CAP_ROUND);
  return c;
}

Rgb Hex(unsigned v) { return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0}; }

Rgb Mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void SetColour(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void SmoothPath(cairo_t* cr, const std::vector<Pt>& p, double tension) {
  const size_t n = p.size();
  if (n < 3) return;
  const double k = tension / 6.0;
  cairo_move_to(cr, p[0].x, p[0].y);
  for (size_t i = 0; i < n; ++i) {
    const Pt& p0 = p[(i + n - 1) % n];
    const Pt& p1 = p[i];
    const Pt& p2 = p[(i + 1) % n];
    const Pt& p3 = p[(i + 2) % n];
    cairo_curve_to(cr, p1.x + (p2.x - p0.x) * k, p1.y + (p2.y - p0.y) * k, p2.x - (p3.x - p1.x) * k,
                   p2.y - (p3.y - p1.y) * k, p2.x, p2.y);
  }
  cairo_close_path(cr);
}

void SmoothOpenPath(cairo_t* cr, const std::vector<Pt>& p) {
  const size_t n = p.size();
  if (n < 2) return;
  cairo_move_to(cr, p[0].x, p[0].y);
  for (size_t i = 0; i + 1 < n; ++i) {
    const Pt& p0 = p[i == 0 ? 0 : i - 1];
    const Pt& p1 = p[i];
    const Pt& p2 = p[i + 1];
    const Pt& p3 = p[i + 2 < n ? i + 2 : n - 1];
    cairo_curve_to(cr, p1.x + (p2.x - p0.x) / 6, p1.y + (p2.y - p0.y) / 6, p2.x - (p3.x - p1.x) / 6,
                   p2.y - (p3.y - p1.y) / 6, p2.x, p2.y);
  }
}

void PolyPath(cairo_t* cr, const std::vector<Pt>& p) {
  if (p.empty()) return;
  cairo_move_to(cr, p[0].x, p[0].y);
  for (size_t i = 1; i < p.size(); ++i) cairo_line_to(cr, p[i].x, p[i].y);
  cairo_close_path(cr);
}

void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_close_path(cr);
  cairo_restore(cr);
}

void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void FillShaded(cairo_t* cr, Rgb light, Rgb mid, Rgb dark, double x0, double y0, double x1, double y1) {
  cairo_pattern_t* g = cairo_pattern_create_linear(x0, y0, x1, y1);
  cairo_pattern_add_color_stop_rgb(g, 0.0, light.r, light.g, light.b);
  cairo_pattern_add_color_stop_rgb(g, 0.45, mid.r, mid.g, mid.b);
  cairo_pattern_add_color_stop_rgb(g, 1.0, dark.r, dark.g, dark.b);
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
}

void ShadeAndOutline(cairo_t* cr, Rgb light, Rgb mid, Rgb dark, double x0, double y0, double x1,
                     double y1, double outline) {
  FillShaded(cr, light, mid, dark, x0, y0, x1, y1);
  SetColour(cr, pal::ink);
  cairo_set_line_width(cr, outline);
  cairo_stroke(cr);
}

void Gloss(cairo_t* cr, double cx, double cy, double rx, double ry, double alpha) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_pattern_t* g = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
  cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 1, alpha);
  cairo_pattern_add_color_stop_rgba(g, 1, 1, 1, 1, 0);
  cairo_set_source(cr, g);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_restore(cr);
}

void GroundShadow(cairo_t* cr, double cx, double cy, double rx) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, rx * 0.22);
  cairo_pattern_t* g = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
  cairo_pattern_add_color_stop_rgba(g, 0, pal::ink.r, pal::ink.g, pal::ink.b, 0.55);
  cairo_pattern_add_color_stop_rgba(g, 0.7, pal::ink.r, pal::ink.g, pal::ink.b, 0.35);
  cairo_pattern_add_color_stop_rgba(g, 1, pal::ink.r, pal::ink.g, pal::ink.b, 0);
  cairo_set_source(cr, g);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_restore(cr);
}

void Eye(cairo_t* cr, double cx, double cy, double r, Rgb iris) {
  EllipsePath(cr, cx, cy, r, r * 1.15);
  SetColour(cr, pal::white);
  cairo_fill_preserve(cr);
  SetColour(cr, pal::ink);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  EllipsePath(cr, cx - r * 0.35, cy + r * 0.1, r * 0.55, r * 0.7);
  SetColour(cr, iris);
  cairo_fill(cr);
  EllipsePath(cr, cx - r * 0.5, cy - r * 0.25, r * 0.22, r * 0.22);
  SetColour(cr, pal::white);
  cairo_fill(cr);
}

Font::Font(const std::string& gameRulesFile) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) throw std::runtime_error("fontconfig");
  if (!gameRulesFile.empty() && std::filesystem::exists(gameRulesFile))
    FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(gameRulesFile.c_str()), FcTrue);
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("MS Gothic"));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) throw std::runtime_error("no font matches");
  FcChar8* family = nullptr;
  FcChar8* style = nullptr;
  FcChar8* file = nullptr;
  FcBool embolden = FcFalse;
  FcPatternGetString(match, FC_FAMILY, 0, &family);
  FcPatternGetString(match, FC_STYLE, 0, &style);
  FcPatternGetString(match, FC_FILE, 0, &file);
  FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
  description_ = std::string(family ? reinterpret_cast<char*>(family) : "?") + " " +
                 (style ? reinterpret_cast<char*>(style) : "?") + (embolden ? " (emboldened)" : "") +
                 " from " + (file ? reinterpret_cast<char*>(file) : "?");
  face_.reset(cairo_ft_font_face_create_for_pattern(match));
  FcPatternDestroy(match);
  FcConfigDestroy(config);
  if (cairo_font_face_status(face_.get()) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("font face");
}

void Font::Select(cairo_t* cr, double size) const {
  cairo_set_font_face(cr, face_.get());
  cairo_set_font_size(cr, size);
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
  cairo_set_font_options(cr, o);
  cairo_font_options_destroy(o);
}

double Font::Width(cairo_t* cr, const std::string& text, double size) const {
  cairo_save(cr);
  Select(cr, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  cairo_restore(cr);
  return e.x_bearing + e.width;
}

double Font::CentredBaseline(cairo_t* cr, double centreY, double size) const {
  cairo_save(cr);
  Select(cr, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, "HXE", &e);
  cairo_restore(cr);
  return std::round(centreY - (e.y_bearing + e.height / 2));
}

void Font::Draw(cairo_t* cr, const std::string& text, double x, double y, double size, Rgb fill,
                Rgb outline, double outlineAlpha) const {
  cairo_save(cr);
  Select(cr, size);
  // The outline is the text itself stamped around its own position: crisp at 1:1. Stamped into a
  // group first so that overlapping stamps do not darken each other.
  const int offsets[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
  cairo_push_group(cr);
  SetColour(cr, outline);
  for (const auto& d : offsets) {
    cairo_move_to(cr, x + d[0], y + d[1]);
    cairo_show_text(cr, text.c_str());
  }
  cairo_pop_group_to_source(cr);
  cairo_paint_with_alpha(cr, outlineAlpha);
  SetColour(cr, fill);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
  cairo_restore(cr);
}

void WritePng(const Surface& surface, const std::string& path) {
  cairo_surface_flush(surface.get());
  if (cairo_surface_write_to_png(surface.get(), path.c_str()) != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cannot write " + path);
}

}  // namespace art
