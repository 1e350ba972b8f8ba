#pragma once
// Three kinds of pixel meet at a window: the game's logical pixels, the screen's real pixels, and
// the coordinates SDL gives positions and window sizes in. On X11 the last two are the same; on a
// Wayland output of scale 2 one window coordinate is 2 real pixels (the window's buffer scale).
// The presentation scale S is the number of real pixels per logical pixel, a whole number, so
// that the picture stays crisp.
namespace plat {

struct ScreenScale {
  int scale = 1;        // S: real pixels per logical pixel, 1 to 8
  double buffer = 1.0;  // real pixels per window coordinate

  // A window coordinate (a position, or a size that has no real-pixel reading) in logical
  // pixels, rounding down, also below 0; ToLogicalUp rounds up.
  int ToLogical(int coordinate) const;
  int ToLogicalUp(int coordinate) const;
  // Logical pixels as window coordinates, the nearest one, held where later sums stay in int.
  int ToCoordinate(int logical) const;
  // Same, rounded up: a window of this many coordinates holds at least that many logical pixels.
  int ToCoordinateUp(int logical) const;

  bool operator==(const ScreenScale&) const = default;
};

// The buffer scale read off a window: its size in real pixels over its size in coordinates, to the
// nearest 1/120 (halves, thirds, quarters, fifths, sixths and eighths stay exact where a
// fractional scale rounded a size). 1 when either size is unknown.
double BufferScaleOf(int pixels, int coordinates);

// The presentation scale for an output of this buffer scale: the nearest whole scale at or below
// it, 1 to 8.
int WholeScaleFor(double buffer);

}  // namespace plat
