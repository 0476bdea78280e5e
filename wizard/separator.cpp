#include "wizard/separator.h"

#include "wizard/layout.h"

namespace tamberlin {

std::vector<std::uint8_t> separatorPixels() {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(kSeparatorWidthPx * kSeparatorHeightPx * 3);
  for (int x = 0; x < kSeparatorWidthPx; ++x) rgb.insert(rgb.end(), {172, 168, 153});
  for (int x = 0; x < kSeparatorWidthPx; ++x) rgb.insert(rgb.end(), {255, 255, 255});
  return rgb;
}

}  // namespace tamberlin
