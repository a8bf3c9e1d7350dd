#pragma once

// Colours.

#include <kit/app/SupportDefs.h>

struct rgb_color {
    uint8 red = 0;
    uint8 green = 0;
    uint8 blue = 0;
    uint8 alpha = 255;
    constexpr bool operator==(const rgb_color&) const = default;
};

enum color_which {
    B_PANEL_BACKGROUND_COLOR = 1,
    B_PANEL_TEXT_COLOR,
};

// The desktop's colour for a role: the display's palette (the panel
// background is the palette's window colour). Thread: any; it asks the
// display when one runs and answers a neutral grey otherwise.
rgb_color ui_color(color_which which);

// Pixel formats of bitmaps.
enum color_space {
    B_NO_COLOR_SPACE = 0,
    B_CMAP8 = 4, // 8 bits a pixel, an index into the kit's 256-colour palette
    B_RGBA32 = 0x2008,
};
