// Menu panels, highlight rows, icons, the time bar and the impact flashes.
#include <cmath>

#include "art.h"

namespace art {
namespace {

void Stroke(cairo_t* cr, Rgb c, double width, double alpha = 1.0) {
  SetColour(cr, c, alpha);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

void Fill(cairo_t* cr, Rgb c, double alpha = 1.0) {
  SetColour(cr, c, alpha);
  cairo_fill(cr);
}

// Rounded panel: soft drop shadow, deep blue body, gold frame with an inner bevel line.
void Panel(cairo_t* cr, double x, double y, double w, double h) {
  for (int i = 3; i >= 1; --i) {
    RoundRectPath(cr, x + 1 + i, y + 1 + i, w - 2, h - 2, 7);
    Fill(cr, pal::ink, 0.14);
  }
  RoundRectPath(cr, x + 1, y + 1, w - 4, h - 4, 7);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + h);
  cairo_pattern_add_color_stop_rgba(g, 0, pal::blue.r, pal::blue.g, pal::blue.b, 0.97);
  cairo_pattern_add_color_stop_rgba(g, 0.35, pal::navy.r, pal::navy.g, pal::navy.b, 0.97);
  cairo_pattern_add_color_stop_rgba(g, 1, pal::ink.r, pal::ink.g, pal::ink.b, 0.97);
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  Stroke(cr, pal::ink, 2);
  RoundRectPath(cr, x + 2.5, y + 2.5, w - 7, h - 7, 5.5);
  Stroke(cr, pal::gold, 1.6);
  RoundRectPath(cr, x + 4.5, y + 4.5, w - 11, h - 11, 3.5);
  Stroke(cr, pal::white, 1, 0.18);
  // Corner studs.
  const double cx[2] = {x + 5, x + w - 8}, cy[2] = {y + 5, y + h - 8};
  for (double px : cx)
    for (double py : cy) {
      EllipsePath(cr, px, py, 1.6, 1.6);
      Fill(cr, pal::white, 0.9);
    }
}

void Star(cairo_t* cr, double cx, double cy, double outer, double inner, int points, double turn) {
  for (int i = 0; i < 2 * points; ++i) {
    const double a = turn + i * M_PI / points;
    const double r = (i % 2 == 0) ? outer : inner;
    const double px = cx + r * std::sin(a), py = cy - r * std::cos(a);
    if (i == 0) cairo_move_to(cr, px, py); else cairo_line_to(cr, px, py);
  }
  cairo_close_path(cr);
}

void IconShape(cairo_t* cr, Rgb light, Rgb mid, Rgb dark, double x0, double y0, double x1, double y1) {
  ShadeAndOutline(cr, light, mid, dark, x0, y0, x1, y1, 1.4);
}

}  // namespace

void PaintIcon(cairo_t* cr, Icon icon, double cx, double cy) {
  cairo_save(cr);
  cairo_translate(cr, cx - 7, cy - 7);  // a 14 x 14 box
  switch (icon) {
    case Icon::Summon:
      EllipsePath(cr, 7, 7, 6, 6);
      Stroke(cr, pal::ink, 3);
      EllipsePath(cr, 7, 7, 6, 6);
      Stroke(cr, pal::cyan, 1.4);
      Star(cr, 7, 7, 5, 2.2, 5, 0);
      IconShape(cr, pal::white, pal::gold, pal::orange, 2, 2, 12, 12);
      break;
    case Icon::Item:
      RoundRectPath(cr, 2, 5, 10, 8, 2);
      IconShape(cr, pal::gold, pal::orange, pal::red, 2, 5, 12, 13);
      PolyPath(cr, {{4, 5}, {5, 2}, {9, 2}, {10, 5}});
      IconShape(cr, pal::gold, pal::orange, pal::red, 4, 2, 10, 5);
      break;
    case Icon::Flee:
      PolyPath(cr, {{1, 7}, {6, 2}, {6, 5}, {13, 5}, {13, 9}, {6, 9}, {6, 12}});
      IconShape(cr, pal::white, pal::silver, pal::slate, 1, 2, 13, 12);
      break;
    case Icon::Wait:
      PolyPath(cr, {{2.5, 1}, {11.5, 1}, {7.8, 7}, {11.5, 13}, {2.5, 13}, {6.2, 7}});
      IconShape(cr, pal::white, pal::silver, pal::slate, 2, 1, 12, 13);
      PolyPath(cr, {{4.5, 12}, {9.5, 12}, {7, 9}});
      Fill(cr, pal::gold);
      break;
    case Icon::Guard:
      PolyPath(cr, {{2, 2}, {7, 1}, {12, 2}, {11.5, 8}, {7, 13}, {2.5, 8}});
      IconShape(cr, pal::sky, pal::blue, pal::navy, 2, 1, 12, 13);
      PolyPath(cr, {{7, 3}, {10, 3.5}, {9.6, 7.5}, {7, 10.5}});
      Fill(cr, pal::white, 0.6);
      break;
    case Icon::Splash:
      cairo_move_to(cr, 7, 1);
      cairo_curve_to(cr, 10, 5, 12, 7, 12, 9);
      cairo_curve_to(cr, 12, 12, 9.5, 13, 7, 13);
      cairo_curve_to(cr, 4.5, 13, 2, 12, 2, 9);
      cairo_curve_to(cr, 2, 7, 4, 5, 7, 1);
      cairo_close_path(cr);
      IconShape(cr, pal::lime, pal::green, pal::teal, 2, 1, 12, 13);
      EllipsePath(cr, 5, 9, 1.2, 1.8);
      Fill(cr, pal::white, 0.8);
      break;
    case Icon::Fire:
      cairo_move_to(cr, 7, 0.5);
      cairo_curve_to(cr, 9, 4, 12.5, 6, 12, 9.5);
      cairo_curve_to(cr, 11.5, 12, 9.5, 13.5, 7, 13.5);
      cairo_curve_to(cr, 4, 13.5, 2, 11.5, 2, 9);
      cairo_curve_to(cr, 2, 6.5, 4, 6, 4.5, 3.5);
      cairo_curve_to(cr, 5.5, 5, 6, 5.5, 7, 0.5);
      cairo_close_path(cr);
      IconShape(cr, pal::gold, pal::orange, pal::red, 2, 1, 12, 13);
      EllipsePath(cr, 7, 10, 2.2, 2.6);
      Fill(cr, pal::white, 0.85);
      break;
    case Icon::Claw:
    case Icon::Bite:
      for (int i = 0; i < 3; ++i) {
        cairo_move_to(cr, 3 + 3.5 * i, 1.5);
        cairo_curve_to(cr, 5 + 3.5 * i, 5, 4 + 3.5 * i, 9, 1 + 3.5 * i, 12.5);
      }
      cairo_set_line_width(cr, 3.4);
      SetColour(cr, pal::ink);
      cairo_stroke_preserve(cr);
      Stroke(cr, icon == Icon::Claw ? pal::white : pal::gold, 1.6);
      break;
    case Icon::Spores:
      for (const auto& d : {Pt{4, 5}, Pt{9, 3}, Pt{10, 9}, Pt{4.5, 10.5}, Pt{7, 7}}) {
        EllipsePath(cr, d.x, d.y, 2.2, 2.2);
        IconShape(cr, pal::lime, Mix(pal::lime, pal::gold, 0.5), pal::green, d.x - 2, d.y - 2, d.x + 2, d.y + 2);
      }
      break;
    case Icon::Bash:
    case Icon::Quake:
      if (icon == Icon::Bash) {
        Star(cr, 7, 7, 6.5, 3, 6, 0.3);
        IconShape(cr, pal::white, pal::gold, pal::orange, 1, 1, 13, 13);
      } else {
        PolyPath(cr, {{1, 13}, {3, 6}, {6, 8}, {8, 2}, {10, 7}, {13, 5}, {13, 13}});
        IconShape(cr, pal::silver, pal::slate, pal::shadow, 1, 2, 13, 13);
        cairo_move_to(cr, 8, 6);
        cairo_line_to(cr, 7, 9);
        cairo_line_to(cr, 9, 11);
        Stroke(cr, pal::ink, 1.2);
      }
      break;
    case Icon::Bolt:
      PolyPath(cr, {{8, 0.5}, {2, 8}, {6.5, 8}, {5, 13.5}, {12, 5.5}, {7.5, 5.5}});
      IconShape(cr, pal::white, pal::gold, pal::orange, 2, 0, 12, 14);
      break;
    case Icon::Hex:
      EllipsePath(cr, 7, 7, 5.5, 5.5);
      IconShape(cr, Mix(pal::plum, pal::white, 0.3), pal::plum, pal::ink, 1, 1, 13, 13);
      Star(cr, 7, 7, 4, 1.6, 4, M_PI / 4);
      Fill(cr, pal::cyan);
      break;
    case Icon::Wisp:
      cairo_move_to(cr, 2, 12);
      cairo_curve_to(cr, 2, 4, 5, 1, 8, 1);
      cairo_curve_to(cr, 11.5, 1, 13, 4, 12, 8);
      cairo_curve_to(cr, 11, 11, 13, 12, 13, 13);
      cairo_curve_to(cr, 9, 13, 6, 12, 2, 12);
      cairo_close_path(cr);
      IconShape(cr, pal::white, pal::silver, pal::slate, 2, 1, 13, 13);
      EllipsePath(cr, 6, 6, 1, 1.5);
      EllipsePath(cr, 9, 6, 1, 1.5);
      Fill(cr, pal::ink);
      break;
    case Icon::Frost:
      for (int i = 0; i < 3; ++i) {
        const double a = i * M_PI / 3;
        cairo_move_to(cr, 7 + 6 * std::cos(a), 7 + 6 * std::sin(a));
        cairo_line_to(cr, 7 - 6 * std::cos(a), 7 - 6 * std::sin(a));
      }
      cairo_set_line_width(cr, 3.6);
      SetColour(cr, pal::ink);
      cairo_stroke_preserve(cr);
      Stroke(cr, pal::cyan, 1.6);
      EllipsePath(cr, 7, 7, 1.6, 1.6);
      Fill(cr, pal::white);
      break;
    case Icon::Tail:
      cairo_move_to(cr, 1, 10);
      cairo_curve_to(cr, 4, 13, 10, 12, 11, 6);
      cairo_set_line_width(cr, 4);
      SetColour(cr, pal::ink);
      cairo_stroke_preserve(cr);
      Stroke(cr, pal::orange, 2);
      PolyPath(cr, {{11, 1}, {14, 7}, {11, 6}, {8, 7}});
      IconShape(cr, pal::gold, pal::orange, pal::red, 8, 1, 14, 7);
      break;
  }
  cairo_restore(cr);
}

void PaintCommandPanel(cairo_t* cr) { Panel(cr, 0, 0, 128, 128); }

void PaintSelectPanel(cairo_t* cr, int rows) { Panel(cr, 0, 0, 128, 28 * rows + 14); }

void PaintHilite(cairo_t* cr, bool lit) {
  if (!lit) {
    // At rest only a faint rule under the row, so the rows read as a list.
    cairo_move_to(cr, 6, 27.5);
    cairo_line_to(cr, 102, 27.5);
    Stroke(cr, pal::silver, 1, 0.22);
    return;
  }
  RoundRectPath(cr, 1, 1.5, 106, 25, 5);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 1, 0, 27);
  cairo_pattern_add_color_stop_rgba(g, 0, pal::gold.r, pal::gold.g, pal::gold.b, 0.95);
  cairo_pattern_add_color_stop_rgba(g, 0.5, pal::orange.r, pal::orange.g, pal::orange.b, 0.85);
  cairo_pattern_add_color_stop_rgba(g, 1, pal::red.r, pal::red.g, pal::red.b, 0.9);
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  Stroke(cr, pal::ink, 1.6);
  RoundRectPath(cr, 2.5, 3, 103, 22, 4);
  Stroke(cr, pal::white, 1, 0.65);
}

void PaintBarFill(cairo_t* cr) {
  // Uniform along x: the game stretches this cell up to three times its width.
  cairo_rectangle(cr, 0, 11, 32, 11);
  Fill(cr, pal::ink);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 12, 0, 21);
  cairo_pattern_add_color_stop_rgb(g, 0, 1, 1, 1);
  cairo_pattern_add_color_stop_rgb(g, 0.25, pal::gold.r, pal::gold.g, pal::gold.b);
  cairo_pattern_add_color_stop_rgb(g, 0.75, pal::orange.r, pal::orange.g, pal::orange.b);
  cairo_pattern_add_color_stop_rgb(g, 1, pal::red.r, pal::red.g, pal::red.b);
  cairo_set_source(cr, g);
  cairo_rectangle(cr, 0, 12, 32, 9);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

void PaintBarMarker(cairo_t* cr) {
  // A bright cap riding on the tip of the fill, its mark at the left edge of the cell.
  RoundRectPath(cr, 1, 7, 6, 19, 3);
  FillShaded(cr, pal::white, pal::cyan, pal::sky, 1, 7, 7, 26);
  Stroke(cr, pal::ink, 1.6);
  cairo_move_to(cr, 3, 10);
  cairo_line_to(cr, 3, 15);
  Stroke(cr, pal::white, 1.2, 0.9);
}

void PaintImpact(cairo_t* cr, int cell) {
  const double cx = 30, cy = 30;
  if (cell == 3) {
    // The hit: a large jagged flash.
    Star(cr, cx, cy, 29, 12, 9, 0.15);
    FillShaded(cr, pal::gold, pal::orange, pal::red, 6, 6, 56, 56);
    Stroke(cr, pal::ink, 1.8);
    Star(cr, cx, cy, 19, 9, 9, 0.5);
    FillShaded(cr, pal::white, pal::gold, pal::orange, 14, 14, 46, 46);
    cairo_new_path(cr);
    EllipsePath(cr, cx, cy, 8, 8);
    Fill(cr, pal::white);
  } else if (cell == 2) {
    // The burst spreads: a ring and flying sparks.
    EllipsePath(cr, cx, cy, 21, 21);
    Stroke(cr, pal::ink, 6, 0.6);
    EllipsePath(cr, cx, cy, 21, 21);
    Stroke(cr, pal::gold, 3.5);
    EllipsePath(cr, cx, cy, 21, 21);
    Stroke(cr, pal::white, 1.2);
    Star(cr, cx, cy, 13, 6, 7, 0.4);
    FillShaded(cr, pal::white, pal::gold, pal::orange, 18, 18, 42, 42);
    Stroke(cr, pal::ink, 1.4);
    for (int i = 0; i < 8; ++i) {
      const double a = i * M_PI / 4 + 0.35;
      cairo_move_to(cr, cx + 24 * std::cos(a), cy + 24 * std::sin(a));
      cairo_line_to(cr, cx + 30 * std::cos(a), cy + 30 * std::sin(a));
    }
    cairo_set_line_width(cr, 3.4);
    SetColour(cr, pal::ink);
    cairo_stroke_preserve(cr);
    Stroke(cr, pal::gold, 1.6);
  } else if (cell == 1) {
    // Fading: puffs of smoke and a few last sparkles.
    const double puffs[5][3] = {{22, 34, 8}, {35, 30, 9}, {28, 22, 7}, {42, 40, 6}, {16, 24, 5}};
    // Outlines first and fills over them, so the cloud has one outer edge.
    for (const auto& p : puffs) {
      EllipsePath(cr, p[0], p[1], p[2], p[2]);
      Stroke(cr, pal::shadow, 2.4, 0.8);
    }
    for (const auto& p : puffs) {
      EllipsePath(cr, p[0], p[1], p[2], p[2]);
      FillShaded(cr, pal::white, pal::silver, pal::slate, p[0] - p[2], p[1] - p[2], p[0] + p[2], p[1] + p[2]);
      cairo_new_path(cr);
    }
    for (const auto& s : {Pt{8, 10}, Pt{52, 14}, Pt{50, 52}, Pt{10, 48}}) {
      Star(cr, s.x, s.y, 4.5, 1.3, 4, 0);
      Fill(cr, pal::gold);
    }
  }
}

}  // namespace art
