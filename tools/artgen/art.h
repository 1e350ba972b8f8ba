#pragma once
// The painters of the art generator. Every painter draws into its cell with the cell's top-left at
// the current origin.
#include <string>

#include "draw.h"

namespace art {

constexpr int kMonsterCount = 8;

// Monster index n, 64 x 64, facing left. Index 4 is the summoner that both sides' avatars show.
void PaintMonster(cairo_t* cr, int index);

// Small 14 x 14 command and attack icons, drawn centred on (cx, cy).
enum class Icon { Summon, Item, Flee, Wait, Guard, Splash, Fire, Claw, Spores, Bash, Quake, Bolt,
                  Hex, Wisp, Frost, Bite, Tail };
void PaintIcon(cairo_t* cr, Icon icon, double cx, double cy);

void PaintCommandPanel(cairo_t* cr);              // 128 x 128
void PaintSelectPanel(cairo_t* cr, int rows);     // inside a 256 x 128 cell
void PaintHilite(cairo_t* cr, bool lit);          // 108 x 28
void PaintBarFill(cairo_t* cr);                   // 32 x 32
void PaintBarMarker(cairo_t* cr);                 // 32 x 32
void PaintImpact(cairo_t* cr, int cell);          // 64 x 64, cells 1 to 3

}  // namespace art
