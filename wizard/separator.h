#pragma once
// The separator line between the pages and the buttons: a 600 x 2 pixel picture, its upper row
// a warm grey (172, 168, 153) and its lower row white, like an etched line.

#include <cstdint>
#include <vector>

namespace tamberlin {

/// The picture's pixels, kSeparatorWidthPx x kSeparatorHeightPx, 3 bytes (R, G, B) each, rows
/// top to bottom.
std::vector<std::uint8_t> separatorPixels();

}  // namespace tamberlin
