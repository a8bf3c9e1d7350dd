#include "app/AppIcons.h"

#include <kit/interface/Palette.h>
#include <kit/storage/AppResources.h>

#include <array>
#include <string_view>

// The program's icon: a dark blue disc with grooves and an orange label, and a
// yellow sound wave running in front of it. The pictures are drawn as text,
// one character a pixel; the legend maps each character to a palette index.
// packaging/IconWriter.cpp writes the desktop entry's PNG files from these
// same pictures at build time.

namespace {

struct LegendEntry {
    char symbol;
    uint8 index;
};

// clang-format off
constexpr LegendEntry kLegend[] = {
    {'.', B_TRANSPARENT_MAGIC_CMAP8},  // outside the picture
    {'K', cmap8_grey_index(5)},        // outlines, the hole
    {'D', cmap8_cube_index(0, 1, 2)},  // the disc
    {'d', cmap8_cube_index(1, 2, 3)},  // grooves
    {'h', cmap8_cube_index(2, 3, 4)},  // the disc's sheen
    {'O', cmap8_cube_index(5, 3, 0)},  // the label
    {'o', cmap8_cube_index(4, 2, 0)},  // the label's shade
    {'Y', cmap8_cube_index(5, 5, 1)},  // the sound wave
};

constexpr std::string_view kLargeArt[32] = {
    "................................",
    "...........KKKKKKKKKK...........",
    ".........KKDDDhhDDDDDKK.........",
    ".......KKDhhhhhhDDDDDDDKK.......",
    "......KKDhhhDddddddDDDDDKK......",
    ".....KDhhhdddDDDDDDdddDDDDK.....",
    "....KDhhDdDDDDDDDDDDDDdDDDDK....",
    "...KKhhDdDDDDddddddDDDDdDDDKK...",
    "...KDhDdDDDddDDDDDDddDDDdDDDK...",
    "..KDhhdDDDdDDDDDDDDDDdDDDdDDDK..",
    "..KDhdDDDdDDDDDDDDDDDDdDDDdDDK..",
    ".KDDDdDDdDDDDOOOOOODDDDdDDdDDDK.",
    ".KDDDdDDdDDDOOooOOOODDDdDDdDDDK.",
    ".KDDdDDdDDDOOoooOOOOODDDdDDdDDK.",
    ".KDDdDDdDDDOooOKKOOOODDDdDDdDDK.",
    ".KDDdDDdDDDOooKKKKOOODDDdDDdDDK.",
    ".KDDdDDdDDDOOOKKKKOOODDDdDDdDDK.",
    ".KDDdDDdDDDOOOOKKOOOODDDdDDdDDK.",
    ".KKKKDDdDDDOOKKKOOOOODDDKKKdDDK.",
    ".KYYYKDDdDDDKYYYKOOODDDKYYYKDDK.",
    "KYYYYYKDdDDKYYYYYKODDDKYYYYYKDK.",
    "KYYKKYYKDdDKYYKKYYKDDDKYYKKYYK..",
    "YYKDKYYKDDKYYKDKYYKDDKYYKdKYYK..",
    "YYKKDKYYKDKYYKDDKYYKdKYYKDDKYYK.",
    "YK.KKKYYYKYYKdddKYYYKYYKDDDKYYYK",
    "YK..KDKYYYYYKDDDDKYYYYYKDDDKKYYY",
    "K....KDKYYYKdDDDDDKYYYKDDDK..KYY",
    "......KKKKKDDddddddKKKDDKK....KK",
    ".......KKDDDDDDDDDDDDDDKK.......",
    ".........KKDDDDDDDDDDKK.........",
    "...........KKKKKKKKKK...........",
    "................................",
};

constexpr std::string_view kMiniArt[16] = {
    "................",
    ".....KKKKKK.....",
    "...KKhhdddDKK...",
    "..KhhdDDDDddDK..",
    "..KhdDDDDDDddK..",
    ".KDdDDDOODDDdDK.",
    ".KdDDDOOOODDDdK.",
    ".KdDDOOKKOODDdK.",
    ".KKKDOOKKKKDDdK.",
    ".KYYKDOOKYYKDdKK",
    "KYYYYKDKYYYYKDKY",
    "YYKKYKKYYKKYKKYY",
    "YKKKYYYYKDKYYYYK",
    "YK.KKYYYKdDKYYYK",
    "K....KKKKKK.KKK.",
    "................",
};
// clang-format on

constexpr bool find_index(char symbol, uint8* index) {
    for (const LegendEntry& entry : kLegend)
        if (entry.symbol == symbol) {
            *index = entry.index;
            return true;
        }
    return false;
}

template <size_t Side>
constexpr bool art_is_valid(const std::string_view (&art)[Side]) {
    for (std::string_view row : art) {
        if (row.size() != Side)
            return false;
        for (char symbol : row) {
            uint8 index = 0;
            if (!find_index(symbol, &index))
                return false;
        }
    }
    return true;
}

static_assert(art_is_valid(kLargeArt), "every row has 32 pixels from the legend");
static_assert(art_is_valid(kMiniArt), "every row has 16 pixels from the legend");

template <size_t Side>
constexpr std::array<uint8, Side * Side> pixels(const std::string_view (&art)[Side]) {
    std::array<uint8, Side * Side> bits{};
    for (size_t y = 0; y < Side; ++y)
        for (size_t x = 0; x < Side; ++x)
            find_index(art[y][x], &bits[y * Side + x]);
    return bits;
}

constexpr auto kLargeIcon = pixels(kLargeArt);
constexpr auto kMiniIcon = pixels(kMiniArt);

} // namespace

void RegisterAppIcons() {
    register_app_icon(B_LARGE_ICON, kLargeIcon.data(), kLargeIcon.size());
    register_app_icon(B_MINI_ICON, kMiniIcon.data(), kMiniIcon.size());
}
