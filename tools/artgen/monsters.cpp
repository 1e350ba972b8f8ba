// The eight creatures. Each faces left; light comes from the top left.
#include <cmath>

#include "art.h"

namespace art {
namespace {

using P = std::vector<Pt>;

void Shape(cairo_t* cr, const P& pts, Rgb light, Rgb mid, Rgb dark, double x0, double y0, double x1,
           double y1, double outline = 2.0) {
  SmoothPath(cr, pts);
  ShadeAndOutline(cr, light, mid, dark, x0, y0, x1, y1, outline);
}

void Poly(cairo_t* cr, const P& pts, Rgb light, Rgb mid, Rgb dark, double x0, double y0, double x1,
          double y1, double outline = 2.0) {
  PolyPath(cr, pts);
  ShadeAndOutline(cr, light, mid, dark, x0, y0, x1, y1, outline);
}

void Line(cairo_t* cr, const P& pts, Rgb colour, double width, double alpha = 1.0) {
  SmoothOpenPath(cr, pts);
  SetColour(cr, colour, alpha);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

void Dot(cairo_t* cr, double x, double y, double r, Rgb colour, double alpha = 1.0) {
  EllipsePath(cr, x, y, r, r);
  SetColour(cr, colour, alpha);
  cairo_fill(cr);
}

// A glowing orb: halo, body and glint.
void Orb(cairo_t* cr, double cx, double cy, double r, Rgb core, Rgb rim) {
  cairo_pattern_t* halo = cairo_pattern_create_radial(cx, cy, r * 0.5, cx, cy, r * 2.2);
  cairo_pattern_add_color_stop_rgba(halo, 0, core.r, core.g, core.b, 0.55);
  cairo_pattern_add_color_stop_rgba(halo, 1, core.r, core.g, core.b, 0);
  cairo_set_source(cr, halo);
  cairo_arc(cr, cx, cy, r * 2.2, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(halo);
  EllipsePath(cr, cx, cy, r, r);
  cairo_pattern_t* g = cairo_pattern_create_radial(cx - r * 0.3, cy - r * 0.3, 0, cx, cy, r);
  cairo_pattern_add_color_stop_rgb(g, 0, 1, 1, 1);
  cairo_pattern_add_color_stop_rgb(g, 0.45, core.r, core.g, core.b);
  cairo_pattern_add_color_stop_rgb(g, 1, rim.r, rim.g, rim.b);
  cairo_set_source(cr, g);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(g);
  SetColour(cr, pal::ink);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

void Slime(cairo_t* cr) {
  GroundShadow(cr, 32, 57, 23);
  // Drip on the back.
  Shape(cr, {{50, 44}, {54, 47}, {55, 53}, {52, 56}, {49, 52}}, pal::lime, pal::green, pal::teal, 48, 44,
        56, 56, 1.6);
  Shape(cr,
        {{9, 56}, {10, 47}, {15, 36}, {23, 27}, {33, 23}, {43, 26}, {50, 34}, {54, 45}, {55, 55},
         {46, 58.5}, {32, 59}, {18, 58.5}},
        Mix(pal::lime, pal::white, 0.35), pal::lime, pal::teal, 18, 24, 46, 60);
  // Inner depth: a darker core and floating bubbles.
  EllipsePath(cr, 38, 48, 13, 8);
  SetColour(cr, pal::green, 0.35);
  cairo_fill(cr);
  Dot(cr, 45, 44, 2.2, pal::white, 0.45);
  Dot(cr, 40, 52, 1.4, pal::white, 0.4);
  Dot(cr, 48, 51, 1.1, pal::white, 0.35);
  Gloss(cr, 25, 33, 8, 4.5, 0.8);
  Dot(cr, 21, 32, 1.6, pal::white, 0.95);
  Eye(cr, 20, 42, 4.2);
  Eye(cr, 31, 41, 4.2);
  // Smile and cheeks.
  Line(cr, {{19, 50}, {23, 52.5}, {28, 51}}, pal::ink, 1.6);
  Dot(cr, 15, 47, 2, pal::red, 0.35);
  Dot(cr, 35, 47, 2, pal::red, 0.35);
}

void FireImp(cairo_t* cr) {
  GroundShadow(cr, 33, 58, 16);
  const Rgb skinL = pal::orange, skinM = pal::red, skinD = pal::plum;
  // Tail with an arrow tip.
  Line(cr, {{42, 48}, {51, 50}, {56, 44}, {57, 37}}, pal::ink, 4.5);
  Line(cr, {{42, 48}, {51, 50}, {56, 44}, {57, 37}}, pal::red, 2);
  Poly(cr, {{57, 31}, {61, 39}, {57, 37.5}, {53, 39}}, skinL, skinM, skinD, 53, 31, 61, 39, 1.5);
  // Wing behind the shoulders.
  Poly(cr, {{38, 30}, {47, 14}, {60, 10}, {57, 19}, {61, 24}, {54, 26}, {56, 33}, {46, 32}},
       Mix(pal::red, pal::orange, 0.3), pal::plum, pal::ink, 40, 12, 58, 34, 1.8);
  Line(cr, {{40, 30}, {49, 18}, {58, 13}}, pal::ink, 1.2, 0.7);
  Line(cr, {{42, 31}, {52, 24}, {59, 23}}, pal::ink, 1.2, 0.7);
  // Legs.
  Shape(cr, {{27, 48}, {32, 49}, {32, 56}, {33, 59}, {25, 59}, {26, 54}}, skinL, skinM, skinD, 25, 48, 33,
        59, 1.8);
  Shape(cr, {{36, 48}, {41, 48}, {42, 55}, {44, 59}, {36, 59}, {36, 54}}, skinM, skinM, skinD, 36, 48, 44,
        59, 1.8);
  // Body.
  Shape(cr, {{24, 36}, {32, 31}, {41, 34}, {44, 43}, {40, 51}, {31, 52}, {24, 47}}, skinL, skinM, skinD, 26,
        32, 44, 52);
  EllipsePath(cr, 31, 44, 5, 5.5);
  SetColour(cr, pal::gold, 0.45);
  cairo_fill(cr);
  // Arm reaching forward.
  Shape(cr, {{27, 38}, {20, 41}, {14, 41}, {13, 45}, {20, 46}, {29, 43}}, skinL, skinM, skinD, 14, 38, 28,
        46, 1.8);
  // Head.
  Shape(cr, {{16, 24}, {19, 15}, {28, 11}, {37, 14}, {40, 23}, {36, 32}, {26, 34}, {18, 31}}, skinL,
        skinM, skinD, 18, 12, 38, 34);
  // Horns.
  Poly(cr, {{21, 14}, {14, 3}, {26, 11}}, pal::white, pal::gold, pal::orange, 14, 3, 26, 14, 1.6);
  Poly(cr, {{31, 11}, {33, 1}, {38, 14}}, pal::white, pal::gold, pal::orange, 31, 1, 38, 14, 1.6);
  // Pointed ear.
  Poly(cr, {{37, 19}, {46, 15}, {39, 25}}, skinL, skinM, skinD, 37, 15, 46, 25, 1.6);
  Gloss(cr, 24, 17, 5, 3, 0.5);
  // Glowing slanted eyes and a fanged grin.
  Poly(cr, {{17, 21}, {24, 22}, {23, 25}, {18, 24.5}}, pal::white, pal::gold, pal::gold, 17, 21, 24, 25, 1.2);
  Poly(cr, {{27, 22}, {33, 20.5}, {33, 24}, {28, 25}}, pal::white, pal::gold, pal::gold, 27, 20, 33, 25, 1.2);
  Dot(cr, 19.5, 23.3, 1.1, pal::ink);
  Dot(cr, 29, 23, 1.1, pal::ink);
  Line(cr, {{17, 28}, {23, 30.5}, {29, 29}}, pal::ink, 1.6);
  Poly(cr, {{21, 29.6}, {23, 29.9}, {22, 32}}, pal::white, pal::white, pal::silver, 21, 29, 23, 32, 0.8);
  // Fireball in the hand.
  Orb(cr, 10, 39, 5.5, pal::gold, pal::orange);
  Poly(cr, {{7, 35}, {9, 27}, {12, 34}}, pal::gold, pal::orange, pal::red, 7, 27, 12, 35, 1.0);
  Poly(cr, {{11, 34}, {15, 29}, {15, 37}}, pal::gold, pal::orange, pal::red, 11, 29, 15, 37, 1.0);
}

void Mushroom(cairo_t* cr) {
  GroundShadow(cr, 32, 58, 17);
  const Rgb beigeL = Mix(pal::white, pal::gold, 0.35), beige = Mix(pal::white, pal::gold, 0.75),
            beigeD = Mix(pal::gold, pal::orange, 0.6);
  const Rgb brown = Mix(pal::orange, pal::plum, 0.55);
  // Feet.
  Shape(cr, {{19, 55}, {24, 53}, {29, 56}, {27, 59}, {19, 59}}, pal::orange, brown, pal::plum, 19, 53, 29, 59,
        1.6);
  Shape(cr, {{35, 55}, {40, 53}, {45, 56}, {44, 59}, {35, 59}}, brown, brown, pal::plum, 35, 53, 45, 59, 1.6);
  // Stem body.
  Shape(cr, {{22, 30}, {42, 30}, {46, 42}, {44, 54}, {32, 56.5}, {20, 54}, {18, 42}}, beigeL, beige,
        beigeD, 20, 30, 46, 56);
  // Stubby arms.
  Shape(cr, {{19, 40}, {13, 44}, {14, 48}, {20, 45}}, beigeL, beige, beigeD, 13, 40, 20, 48, 1.6);
  Shape(cr, {{44, 40}, {50, 44}, {49, 48}, {44, 45}}, beige, beige, beigeD, 44, 40, 50, 48, 1.6);
  // Face on the stem, looking left.
  Poly(cr, {{20.5, 38}, {23, 38}, {23, 43}, {20.5, 43}}, pal::ink, pal::ink, pal::ink, 0, 0, 1, 1, 0.8);
  Poly(cr, {{28, 38}, {30.5, 38}, {30.5, 43}, {28, 43}}, pal::ink, pal::ink, pal::ink, 0, 0, 1, 1, 0.8);
  Dot(cr, 21.3, 39, 0.7, pal::white);
  Dot(cr, 28.8, 39, 0.7, pal::white);
  // A small open smile.
  cairo_move_to(cr, 22.5, 46);
  cairo_curve_to(cr, 23.5, 49.5, 27, 49.5, 28, 46);
  cairo_close_path(cr);
  SetColour(cr, pal::plum);
  cairo_fill_preserve(cr);
  SetColour(cr, pal::ink);
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);
  Dot(cr, 18.5, 45, 1.8, pal::red, 0.35);
  Dot(cr, 33, 45, 1.8, pal::red, 0.35);
  // Cap, its shadowed rim and white spots.
  Shape(cr,
        {{4, 31}, {7, 21}, {16, 12}, {30, 7}, {45, 9}, {56, 17}, {60, 28}, {57, 34}, {44, 33}, {32, 34},
         {18, 34}, {8, 35}},
        Mix(pal::orange, pal::gold, 0.3), pal::red, pal::plum, 14, 8, 50, 36);
  Line(cr, {{8, 32.5}, {20, 31.5}, {32, 31.8}, {46, 30.8}, {56, 31.5}}, pal::plum, 2.2, 0.8);
  const double spots[5][3] = {{17, 19, 4.2}, {31, 14, 3.4}, {45, 17, 3.8}, {27, 25, 3}, {52, 26, 2.6}};
  for (const auto& s : spots) {
    EllipsePath(cr, s[0], s[1], s[2], s[2] * 0.8);
    FillShaded(cr, pal::white, pal::white, pal::silver, s[0] - s[2], s[1] - s[2], s[0] + s[2], s[1] + s[2]);
    cairo_new_path(cr);
  }
  Gloss(cr, 22, 13, 7, 3, 0.5);
}

void Golem(cairo_t* cr) {
  GroundShadow(cr, 32, 58, 24);
  const Rgb L = Mix(pal::silver, pal::white, 0.25), M = pal::silver, D = pal::slate;
  // Back arm.
  Poly(cr, {{46, 24}, {56, 27}, {60, 44}, {58, 52}, {50, 52}, {48, 40}}, M, D, pal::shadow, 46, 24, 60, 52);
  // Legs.
  Poly(cr, {{19, 46}, {30, 46}, {31, 59}, {17, 59}}, M, D, pal::shadow, 17, 46, 31, 59);
  Poly(cr, {{35, 46}, {47, 46}, {49, 59}, {35, 59}}, D, D, pal::shadow, 35, 46, 49, 59);
  // Torso.
  Poly(cr, {{15, 22}, {32, 16}, {49, 21}, {52, 36}, {46, 49}, {18, 50}, {12, 36}}, L, M, D, 14, 17, 50, 50);
  // Cracks and moss.
  Line(cr, {{37, 22}, {35, 28}, {38, 33}}, pal::shadow, 1.2);
  Line(cr, {{20, 40}, {25, 43}, {24, 47}}, pal::shadow, 1.2);
  Shape(cr, {{29, 16}, {36, 15}, {45, 18}, {42, 21}, {36, 19}, {31, 20}}, pal::lime, pal::green, pal::teal,
        30, 15, 45, 21, 1.2);
  // Rune on the chest.
  Line(cr, {{28, 27}, {33, 33}, {28, 39}, {33, 42}}, pal::teal, 3.4);
  Line(cr, {{28, 27}, {33, 33}, {28, 39}, {33, 42}}, pal::cyan, 1.6);
  // Head: a small block set forward.
  Poly(cr, {{14, 9}, {28, 7}, {31, 20}, {15, 22}, {12, 15}}, L, M, D, 13, 7, 30, 22);
  Poly(cr, {{14, 14}, {23, 13}, {23, 17}, {14, 18}}, pal::ink, pal::ink, pal::ink, 0, 0, 1, 1, 0.8);
  Orb(cr, 17.5, 15.5, 2.2, pal::cyan, pal::sky);
  // Front arm ending in a heavy fist.
  Poly(cr, {{13, 23}, {22, 25}, {21, 40}, {12, 41}, {9, 32}}, L, M, D, 9, 23, 22, 41);
  Shape(cr, {{6, 40}, {15, 38}, {21, 42}, {20, 50}, {12, 53}, {5, 49}}, L, M, D, 5, 38, 21, 53);
  Line(cr, {{9, 45}, {16, 44}}, pal::slate, 1.2);
  Line(cr, {{9, 48.5}, {16, 48}}, pal::slate, 1.2);
  Gloss(cr, 24, 24, 7, 3, 0.35);
}

void Summoner(cairo_t* cr) {
  GroundShadow(cr, 31, 58, 19);
  const Rgb robeL = Mix(pal::blue, pal::sky, 0.35), robe = pal::blue, robeD = pal::navy;
  const Rgb skinL = Mix(pal::gold, pal::white, 0.35), skin = pal::gold, skinD = pal::orange;
  const Rgb wood = Mix(pal::orange, pal::plum, 0.5);
  // Cape behind.
  Shape(cr, {{30, 14}, {44, 20}, {52, 40}, {55, 58}, {40, 58}, {36, 34}}, pal::red, pal::plum, pal::ink, 36,
        14, 56, 58);
  // Staff.
  cairo_rectangle(cr, 9, 16, 3.4, 43);
  ShadeAndOutline(cr, pal::orange, wood, pal::plum, 9, 0, 12.4, 0, 1.4);
  // Robe.
  Shape(cr, {{24, 20}, {38, 19}, {42, 32}, {47, 57}, {32, 59.5}, {15, 57}, {19, 34}}, robeL, robe, robeD,
        18, 20, 46, 58);
  // Gold hem and belt.
  Line(cr, {{16, 55.5}, {32, 57.5}, {46, 55.5}}, pal::gold, 2.2);
  Line(cr, {{21, 36}, {31, 37.5}, {40, 36}}, pal::gold, 2.4);
  Dot(cr, 30, 37.4, 1.8, pal::white);
  // Fold lines.
  Line(cr, {{28, 41}, {26, 50}, {25, 56}}, robeD, 1.3, 0.9);
  Line(cr, {{36, 41}, {39, 50}, {40, 55}}, robeD, 1.3, 0.9);
  // Sleeve and hand on the staff.
  Shape(cr, {{24, 23}, {19, 29}, {14, 33}, {16, 38}, {23, 35}, {29, 28}}, robeL, robe, robeD, 14, 23, 28, 38,
        1.8);
  Shape(cr, {{10, 31}, {15, 30}, {16, 35}, {11, 36}}, skinL, skin, skinD, 10, 30, 16, 36, 1.4);
  // Hood with the face in its opening, a white beard and gold trim on the rim.
  Shape(cr, {{15, 22}, {17, 12}, {24, 4}, {33, 2}, {40, 9}, {41, 22}, {34, 26}, {22, 27}}, robeL, robe, robeD,
        18, 3, 40, 27);
  Shape(cr, {{19.5, 14}, {24, 10.5}, {29.5, 12.5}, {29.5, 21}, {25, 24}, {20, 22}}, skinL, skin, skinD, 19, 10,
        30, 24, 1.4);
  EllipsePath(cr, 28, 13, 5, 6);
  SetColour(cr, pal::navy, 0.5);
  cairo_fill(cr);
  Dot(cr, 22.2, 16, 1.2, pal::ink);
  Dot(cr, 26, 16.2, 1.1, pal::ink);
  Shape(cr, {{19, 19.5}, {24, 21}, {29, 19.5}, {28.5, 25}, {25, 31}, {21.5, 27}}, pal::white, pal::white,
        pal::silver, 19, 19, 29, 31, 1.4);
  Line(cr, {{16, 22}, {17.5, 12.5}, {24, 4.5}}, pal::gold, 1.6);
  Gloss(cr, 32, 9, 4, 3, 0.4);
  // Crystal orb on the staff.
  Orb(cr, 10.7, 11, 5, pal::cyan, pal::sky);
  Dot(cr, 4, 5, 0.9, pal::white, 0.9);
  Dot(cr, 18, 4, 0.8, pal::cyan, 0.9);
  Dot(cr, 3, 17, 0.8, pal::cyan, 0.9);
}

void Ghost(cairo_t* cr) {
  // A cold glow instead of a ground shadow: it floats.
  cairo_pattern_t* g = cairo_pattern_create_radial(28, 30, 4, 28, 30, 31);
  cairo_pattern_add_color_stop_rgba(g, 0, pal::cyan.r, pal::cyan.g, pal::cyan.b, 0.35);
  cairo_pattern_add_color_stop_rgba(g, 1, pal::cyan.r, pal::cyan.g, pal::cyan.b, 0);
  cairo_set_source(cr, g);
  cairo_arc(cr, 28, 30, 31, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  EllipsePath(cr, 30, 59, 12, 2.2);
  SetColour(cr, pal::ink, 0.3);
  cairo_fill(cr);
  // Arm reaching forward.
  Shape(cr, {{16, 30}, {8, 27}, {5, 31}, {9, 35}, {17, 37}}, pal::white, pal::silver, pal::slate, 5, 27, 17,
        37, 1.8);
  Shape(cr,
        {{13, 34}, {14, 20}, {21, 10}, {31, 7}, {41, 11}, {46, 22}, {47, 33}, {52, 41}, {60, 48}, {53, 51},
         {47, 49}, {43, 54}, {37, 51}, {31, 55}, {26, 50}, {19, 52}, {17, 44}},
        pal::white, Mix(pal::white, pal::silver, 0.6), pal::slate, 18, 10, 48, 56);
  Gloss(cr, 25, 14, 7, 4, 0.9);
  // Hollow eyes and a wailing mouth.
  EllipsePath(cr, 20, 23, 2.6, 4);
  EllipsePath(cr, 29, 22, 2.6, 4);
  SetColour(cr, pal::ink);
  cairo_fill(cr);
  Dot(cr, 19.4, 21.5, 0.9, pal::cyan);
  Dot(cr, 28.4, 20.5, 0.9, pal::cyan);
  EllipsePath(cr, 23.5, 32, 3, 3.8);
  SetColour(cr, pal::navy);
  cairo_fill(cr);
  Dot(cr, 14, 27, 1.8, pal::sky, 0.35);
  // Back arm.
  Shape(cr, {{40, 30}, {45, 34}, {43, 38}, {38, 36}}, pal::silver, pal::silver, pal::slate, 38, 30, 45, 38,
        1.6);
}

void IceWolf(cairo_t* cr) {
  GroundShadow(cr, 32, 58, 24);
  const Rgb L = pal::white, M = Mix(pal::silver, pal::sky, 0.35), D = pal::navy;
  const Rgb farL = pal::silver, farM = pal::slate, farD = Mix(pal::slate, pal::navy, 0.6);
  // Far legs.
  Shape(cr, {{24, 42}, {28, 42}, {27, 52}, {29, 57}, {23, 57.5}, {23, 51}}, farL, farM, farD, 23, 42, 29, 58,
        1.6);
  Shape(cr, {{45, 42}, {50, 42}, {51, 51}, {54, 57.5}, {47, 57.5}, {47, 50}}, farL, farM, farD, 45, 42, 54, 58,
        1.6);
  // Bushy tail raised behind.
  Shape(cr, {{47, 37}, {52, 29}, {57, 19}, {63, 20}, {62, 30}, {57, 38}, {50, 42}}, L, M, D, 50, 19, 63, 42);
  Line(cr, {{55, 33}, {59, 25}}, M, 1.2, 0.9);
  // Body.
  Shape(cr, {{16, 32}, {28, 30}, {42, 30}, {51, 34}, {52, 42}, {45, 47}, {30, 47}, {18, 45}}, L, M, D, 22, 29,
        50, 48);
  // Frost mane along the back.
  Poly(cr, {{22, 31}, {25, 22}, {28, 30}, {31, 21}, {34, 29.5}, {38, 23}, {39, 30}, {43, 25}, {44, 31.5}},
       pal::white, pal::cyan, pal::sky, 24, 21, 40, 31, 1.5);
  // Near legs: a strong haunch behind, a straight foreleg in front, pale paws.
  Shape(cr, {{37, 37}, {47, 36}, {50, 44}, {47, 51}, {49, 57.5}, {41, 58}, {41, 50}, {37, 44}}, L, M, D, 37,
        36, 50, 58, 1.8);
  Shape(cr, {{16, 39}, {24, 39}, {23, 50}, {25, 57.5}, {16, 58}, {17, 50}}, L, M, D, 16, 39, 25, 58, 1.8);
  EllipsePath(cr, 20, 56.5, 4, 1.8);
  EllipsePath(cr, 44.5, 56.5, 4, 1.8);
  SetColour(cr, pal::white, 0.7);
  cairo_fill(cr);
  // Chest ruff.
  Poly(cr, {{14, 30}, {21, 32}, {19, 35}, {23, 37}, {18, 40}, {19, 44}, {13, 39}, {11, 34}}, pal::white,
       pal::white, pal::silver, 11, 30, 23, 44, 1.5);
  // Head with a long snout to the left.
  Shape(cr, {{12, 17}, {20, 14}, {27, 19}, {28, 28}, {22, 34}, {14, 34}, {5, 31}, {2, 27}, {6, 23}}, L, M, D,
        8, 14, 28, 35);
  // Ears.
  Poly(cr, {{14, 17}, {15, 6}, {21, 15}}, L, M, D, 14, 6, 21, 17, 1.6);
  Poly(cr, {{20, 16}, {25, 7}, {27, 19}}, M, M, D, 20, 7, 27, 19, 1.6);
  Poly(cr, {{16, 14}, {16.5, 9.5}, {19, 14}}, pal::red, pal::red, pal::plum, 16, 9, 19, 14, 0);
  // Nose, eye, jaw and fang.
  Dot(cr, 3.5, 26.6, 2, pal::ink);
  Poly(cr, {{11, 22}, {17, 21}, {15, 24}}, pal::cyan, pal::cyan, pal::sky, 11, 21, 17, 24, 1.2);
  Dot(cr, 12.6, 22.6, 0.8, pal::ink);
  Line(cr, {{4, 30}, {10, 31.5}, {17, 31}}, pal::ink, 1.3);
  Poly(cr, {{7, 30.6}, {9, 30.9}, {8, 33.5}}, pal::white, pal::white, pal::silver, 7, 30, 9, 33, 0.8);
  Gloss(cr, 15, 19, 5, 2.5, 0.6);
  Gloss(cr, 32, 34, 9, 2.5, 0.35);
}

void Drake(cairo_t* cr) {
  GroundShadow(cr, 34, 58, 25);
  const Rgb L = Mix(pal::orange, pal::gold, 0.35), M = pal::orange, D = pal::red;
  const Rgb wingL = pal::red, wing = Mix(pal::red, pal::plum, 0.6), wingD = pal::plum;
  // Tail curling behind.
  Shape(cr, {{44, 46}, {54, 50}, {60, 54}, {63, 49}, {61, 56}, {52, 58}, {42, 55}}, L, M, D, 44, 46, 62, 58,
        1.8);
  // Far leg.
  Shape(cr, {{40, 46}, {46, 46}, {48, 56}, {50, 59}, {42, 59}, {41, 53}}, M, D, pal::plum, 40, 46, 50, 59,
        1.7);
  // Wing raised behind the back.
  Poly(cr, {{32, 28}, {38, 12}, {50, 2}, {62, 4}, {58, 13}, {62, 18}, {54, 22}, {57, 30}, {46, 32}}, wingL,
       wing, wingD, 36, 3, 58, 32, 1.8);
  Line(cr, {{36, 26}, {46, 12}, {61, 5}}, pal::ink, 1.2, 0.75);
  Line(cr, {{38, 28}, {50, 18}, {61, 17}}, pal::ink, 1.2, 0.75);
  Line(cr, {{40, 30}, {50, 25}, {56, 28}}, pal::ink, 1.2, 0.75);
  // Neck and body in one sweep.
  Shape(cr, {{15, 22}, {16, 15}, {24, 13}, {28, 21}, {34, 28}, {44, 30}, {50, 40}, {46, 50}, {34, 52},
             {24, 48}, {19, 38}},
        L, M, D, 20, 14, 48, 52);
  // Pale belly scales down the throat and chest.
  SmoothPath(cr, {{17, 22}, {21, 22}, {23, 30}, {28, 39}, {33, 47}, {27, 49}, {22, 42}, {18.5, 32}});
  FillShaded(cr, pal::white, pal::gold, Mix(pal::gold, pal::orange, 0.5), 17, 22, 33, 49);
  cairo_new_path(cr);
  for (const auto& seg : {P{{18.5, 27}, {22, 26.5}}, P{{20, 33}, {24.5, 32}}, P{{22.5, 39}, {27, 37.5}},
                          P{{25.5, 44}, {30, 42.5}}})
    Line(cr, seg, pal::orange, 1.1);
  // Near leg and claws.
  Shape(cr, {{28, 43}, {36, 43}, {37, 53}, {39, 59}, {28, 59}, {29, 51}}, L, M, D, 28, 43, 39, 59, 1.8);
  Poly(cr, {{27, 59}, {26.5, 56.5}, {29, 57}}, pal::white, pal::white, pal::silver, 26, 56, 29, 59, 0.9);
  // Fore arm with claws.
  Shape(cr, {{26, 34}, {20, 38}, {15, 40}, {15, 43.5}, {21, 42}, {28, 38}}, L, M, D, 15, 34, 28, 44, 1.6);
  Poly(cr, {{15, 40.5}, {12, 41}, {15, 42.5}}, pal::white, pal::white, pal::silver, 12, 40, 15, 43, 0.8);
  // Head with a snout to the left.
  Shape(cr, {{14, 11}, {22, 8}, {28, 12}, {28, 19}, {22, 22}, {13, 23}, {5, 22}, {3, 18}, {6, 14}}, L, M, D,
        6, 8, 28, 23);
  // Horns swept back.
  Poly(cr, {{21, 9}, {32, 2}, {26, 12}}, pal::white, pal::gold, pal::orange, 21, 2, 32, 12, 1.5);
  Poly(cr, {{24, 13}, {35, 9}, {27, 17}}, pal::gold, pal::gold, pal::orange, 24, 9, 35, 17, 1.5);
  // Eye, nostril, jaw line.
  Poly(cr, {{14, 13.5}, {20, 13}, {18.5, 16.5}, {14.5, 16}}, pal::white, pal::gold, pal::gold, 14, 13, 20, 16,
       1.2);
  Dot(cr, 16.2, 14.8, 0.9, pal::ink);
  Dot(cr, 5.5, 16.5, 1.1, pal::ink);
  Line(cr, {{4, 20}, {11, 20.5}, {18, 19}}, pal::ink, 1.3);
  Gloss(cr, 13, 12, 5, 2.2, 0.5);
  Gloss(cr, 38, 36, 7, 3, 0.35);
  // A wisp of smoke from the nostril.
  Dot(cr, 2, 13, 1.4, pal::silver, 0.7);
  Dot(cr, 3.5, 9.5, 1.0, pal::silver, 0.5);
}

}  // namespace

void PaintMonster(cairo_t* cr, int index) {
  cairo_save(cr);
  switch (index) {
    case 0: Slime(cr); break;
    case 1: FireImp(cr); break;
    case 2: Mushroom(cr); break;
    case 3: Golem(cr); break;
    case 4: Summoner(cr); break;
    case 5: Ghost(cr); break;
    case 6: IceWolf(cr); break;
    case 7: Drake(cr); break;
    default: break;
  }
  cairo_restore(cr);
}

}  // namespace art
