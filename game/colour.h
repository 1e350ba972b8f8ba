#pragma once
// A colour as four floats, red, green, blue and alpha, each nominally 0..1.
struct Colour {
  float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
  bool operator==(const Colour&) const = default;
};
