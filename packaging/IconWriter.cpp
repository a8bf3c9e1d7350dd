// Writes the program's icons as PNG files for its desktop entry, from the
// same pictures the program compiles in and with the kit's own PNG writer,
// so that the desktop shows exactly what the program shows. Runs at build
// time, beside the program rather than in it, as the packaging does.
// Usage: icon_writer <output folder>

#include "app/AppIcons.h"
#include <kit/interface/BBitmap.h>
#include <kit/storage/AppResources.h>
#include <kit/storage/AtomicFile.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool WriteIcon(const std::string& folder, icon_size size) {
    const int side = static_cast<int>(size);
    std::vector<uint8> pixels;
    if (registered_app_icon(size, &pixels) != B_OK ||
        pixels.size() != static_cast<size_t>(side * side))
        return false;
    BBitmap bitmap(BRect(0, 0, side - 1, side - 1), B_CMAP8);
    for (int y = 0; y < side; ++y)
        std::memcpy(static_cast<uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow(),
                    pixels.data() + y * side, static_cast<size_t>(side));
    std::string png;
    if (kit_private::encode_png(bitmap, &png) != B_OK)
        return false;
    // Written whole or not at all: a build stopped half way leaves no
    // truncated icon to be installed.
    const std::string name = std::to_string(side) + "x" + std::to_string(side);
    return write_file_atomically(folder + "/MirvexOggVorbisFrontend-" + name + ".png", png) == B_OK;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    RegisterAppIcons();
    for (icon_size size : {B_LARGE_ICON, B_MINI_ICON}) {
        if (!WriteIcon(argv[1], size)) {
            std::fprintf(stderr, "%s: cannot write the %d pixel icon into %s\n", argv[0],
                         static_cast<int>(size), argv[1]);
            return 1;
        }
    }
    return 0;
}
