#pragma once
// Numbers from the monster table and the images can push 32-bit results past their range; such
// results are formed in 64 bits and held at the range's ends rather than wrapping to the other sign.
#include <algorithm>
#include <cstdint>
#include <limits>

inline int32_t SaturateToInt32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
