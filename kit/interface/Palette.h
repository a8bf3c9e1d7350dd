#pragma once

// The kit's 256-colour palette, which every B_CMAP8 bitmap indexes:
//   0 to 215    a colour cube, index 36 * r + 6 * g + b with r, g, b from 0 to 5
//               and each step worth 51 (so 0, 51, 102, 153, 204, 255);
//   216 to 254  a grey ramp from black to white, 39 steps;
//   255         transparent (B_TRANSPARENT_MAGIC_CMAP8).
// The table is fixed: icons compiled into the program depend on it.
//
// Thread: any; the table is built at compile time and never changes.

#include <kit/interface/GraphicsDefs.h>

#include <array>

constexpr uint8 B_TRANSPARENT_MAGIC_CMAP8 = 255;

// The index of a cube colour; each component from 0 to 5.
constexpr uint8 cmap8_cube_index(int r, int g, int b) {
    return static_cast<uint8>(36 * r + 6 * g + b);
}

// The index of a grey; level from 0 (black) to 38 (white).
constexpr uint8 cmap8_grey_index(int level) {
    return static_cast<uint8>(216 + level);
}

const std::array<rgb_color, 256>& system_palette();
