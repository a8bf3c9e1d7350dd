#include <kit/interface/BBitmap.h>

#include <kit/interface/Palette.h>

#include <string>

#include <zlib.h>

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

namespace {

// PNG is written here, without Qt's image writers: those load plugins
// through the application object, which a looper must not touch while the
// display is still setting it up. zlib gives the checksums and the
// compression.

void PutBigEndian(std::string* out, uint32 value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::string* out, const char type[5], const std::string& data) {
    PutBigEndian(out, static_cast<uint32>(data.size()));
    const size_t bodyStart = out->size();
    out->append(type, 4);
    out->append(data);
    const auto* body = reinterpret_cast<const Bytef*>(out->data() + bodyStart);
    PutBigEndian(out, static_cast<uint32>(::crc32(::crc32(0L, nullptr, 0), body,
                                                  static_cast<uInt>(out->size() - bodyStart))));
}

// The image data as one zlib stream, compressed as tightly as zlib can.
bool Compressed(const std::string& raw, std::string* out) {
    uLongf length = ::compressBound(static_cast<uLong>(raw.size()));
    out->resize(length);
    if (::compress2(reinterpret_cast<Bytef*>(out->data()), &length,
                    reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                    Z_BEST_COMPRESSION) != Z_OK)
        return false;
    out->resize(length);
    return true;
}

} // namespace

status_t encode_png(const BBitmap& bitmap, std::string* png) {
    if (png == nullptr)
        return B_BAD_VALUE;
    if (bitmap.InitCheck() != B_OK)
        return B_NO_INIT;
    const uint32 width = static_cast<uint32>(bitmap.Bounds().IntegerWidth() + 1);
    const uint32 height = static_cast<uint32>(bitmap.Bounds().IntegerHeight() + 1);

    // Each row: filter type 0 (none), then red, green, blue, alpha a pixel.
    std::string raw;
    raw.reserve(static_cast<size_t>(height) * (1 + 4 * width));
    const auto* bits = static_cast<const uint8*>(bitmap.Bits());
    const auto& palette = system_palette();
    for (uint32 y = 0; y < height; ++y) {
        const uint8* row = bits + static_cast<size_t>(y) * bitmap.BytesPerRow();
        raw.push_back(0);
        for (uint32 x = 0; x < width; ++x) {
            rgb_color color;
            if (bitmap.ColorSpace() == B_CMAP8) {
                color = palette[row[x]];
            } else {
                const uint8* pixel = row + 4 * x;
                color = {pixel[2], pixel[1], pixel[0], pixel[3]};
            }
            for (uint8 channel : {color.red, color.green, color.blue, color.alpha})
                raw.push_back(static_cast<char>(channel));
        }
    }

    std::string header;
    PutBigEndian(&header, width);
    PutBigEndian(&header, height);
    header += std::string{8, 6, 0, 0, 0}; // 8 bits a channel, RGBA, no interlace

    std::string data;
    if (!Compressed(raw, &data))
        return B_NO_MEMORY;
    std::string out = "\x89PNG\r\n\x1a\n";
    PutChunk(&out, "IHDR", header);
    PutChunk(&out, "IDAT", data);
    PutChunk(&out, "IEND", std::string());
    *png = std::move(out);
    return B_OK;
}

} // namespace kit_private
