#include "platform/system/screen_scale.h"

#include <algorithm>
#include <cmath>

namespace plat {

namespace {

// Results are held within ±2^30 so that sums of two stay inside int. The slack absorbs the
// rounding of a fractional buffer scale (1/120 steps), far below a pixel.
constexpr double kLimit = 1073741824.0;
constexpr double kSlack = 1e-6;

int Held(double v) { return static_cast<int>(std::clamp(v, -kLimit, kLimit)); }

}  // namespace

int ScreenScale::ToLogical(int coordinate) const {
  return Held(std::floor(coordinate * buffer / std::max(scale, 1) + kSlack));
}

int ScreenScale::ToLogicalUp(int coordinate) const {
  return Held(std::ceil(coordinate * buffer / std::max(scale, 1) - kSlack));
}

int ScreenScale::ToCoordinate(int logical) const {
  return Held(std::round(double(logical) * std::max(scale, 1) / buffer));
}

int ScreenScale::ToCoordinateUp(int logical) const {
  return Held(std::ceil(double(logical) * std::max(scale, 1) / buffer - kSlack));
}

double BufferScaleOf(int pixels, int coordinates) {
  if (pixels <= 0 || coordinates <= 0) return 1.0;
  return std::max(120.0, std::round(120.0 * pixels / coordinates)) / 120.0;
}

int WholeScaleFor(double buffer) {
  if (!(buffer >= 1.0)) return 1;
  return static_cast<int>(std::min(8.0, std::floor(buffer + kSlack)));
}

}  // namespace plat
