#include <kit/interface/Palette.h>

namespace {

constexpr std::array<rgb_color, 256> make_palette() {
    std::array<rgb_color, 256> palette{};
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette[cmap8_cube_index(r, g, b)] = {static_cast<uint8>(r * 51),
                                                      static_cast<uint8>(g * 51),
                                                      static_cast<uint8>(b * 51), 255};
    for (int level = 0; level <= 38; ++level) {
        // Rounded to the nearest step, so that the last grey is pure white.
        auto value = static_cast<uint8>((level * 255 + 19) / 38);
        palette[cmap8_grey_index(level)] = {value, value, value, 255};
    }
    palette[B_TRANSPARENT_MAGIC_CMAP8] = {0, 0, 0, 0};
    return palette;
}

constexpr std::array<rgb_color, 256> kPalette = make_palette();

} // namespace

const std::array<rgb_color, 256>& system_palette() {
    return kPalette;
}
