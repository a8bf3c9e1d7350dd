#include "interface/BBitmap.h"

#include "interface/Palette.h"

#include <QBuffer>
#include <QImage>

namespace {

// Large enough for any icon or picture the program shows, small enough that
// the size computations below cannot overflow.
constexpr int32 kMaxSide = 16384;

int32 bytes_per_pixel(color_space space) {
    switch (space) {
    case B_CMAP8:
        return 1;
    case B_RGBA32:
        return 4;
    default:
        return 0;
    }
}

} // namespace

BBitmap::BBitmap(BRect bounds, color_space space) : fBounds(bounds), fSpace(space) {
    int32 pixelSize = bytes_per_pixel(space);
    // IsValid() is false for NaN edges as well; the side checks come before
    // any conversion to an integer.
    if (pixelSize == 0 || !bounds.IsValid() || bounds.Width() >= kMaxSide ||
        bounds.Height() >= kMaxSide) {
        fStatus = B_BAD_VALUE;
        return;
    }
    int32 width = bounds.IntegerWidth() + 1;
    int32 height = bounds.IntegerHeight() + 1;
    fBytesPerRow = (width * pixelSize + 3) / 4 * 4;
    uint8 fill = space == B_CMAP8 ? B_TRANSPARENT_MAGIC_CMAP8 : 0;
    fBits.assign(static_cast<size_t>(fBytesPerRow) * static_cast<size_t>(height), fill);
    fStatus = B_OK;
}

namespace kit_private {

status_t encode_png(const BBitmap& bitmap, std::string* png) {
    if (png == nullptr)
        return B_BAD_VALUE;
    if (bitmap.InitCheck() != B_OK)
        return B_NO_INIT;
    int width = bitmap.Bounds().IntegerWidth() + 1;
    int height = bitmap.Bounds().IntegerHeight() + 1;
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        return B_NO_MEMORY;

    const auto* bits = static_cast<const uint8*>(bitmap.Bits());
    const auto& palette = system_palette();
    for (int y = 0; y < height; ++y) {
        const uint8* row = bits + static_cast<size_t>(y) * bitmap.BytesPerRow();
        for (int x = 0; x < width; ++x) {
            rgb_color color;
            if (bitmap.ColorSpace() == B_CMAP8) {
                color = palette[row[x]];
            } else {
                const uint8* pixel = row + 4 * x;
                color = {pixel[2], pixel[1], pixel[0], pixel[3]};
            }
            image.setPixel(x, y, qRgba(color.red, color.green, color.blue, color.alpha));
        }
    }

    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return B_ERROR;
    png->assign(bytes.constData(), static_cast<size_t>(bytes.size()));
    return B_OK;
}

} // namespace kit_private
