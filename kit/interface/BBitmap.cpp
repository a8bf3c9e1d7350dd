#include <kit/interface/BBitmap.h>

#include <kit/interface/Palette.h>

#include <algorithm>
#include <array>
#include <string>

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

// PNG is written by hand, without Qt's image writers: those load plugins
// through the application object, which a looper must not touch while the
// display is still setting it up. The image data goes into uncompressed
// deflate blocks, which every PNG reader accepts.

uint32 Crc32(const uint8* data, size_t length, uint32 crc = 0) {
    static const auto table = [] {
        std::array<uint32, 256> entries{};
        for (uint32 n = 0; n < 256; ++n) {
            uint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    crc = ~crc;
    for (size_t i = 0; i < length; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian(std::string* out, uint32 value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::string* out, const char type[5], const std::string& data) {
    PutBigEndian(out, static_cast<uint32>(data.size()));
    std::string body = std::string(type, 4) + data;
    out->append(body);
    PutBigEndian(out, Crc32(reinterpret_cast<const uint8*>(body.data()), body.size()));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& raw) {
    std::string out = {0x78, 0x01};
    size_t offset = 0;
    do {
        size_t length = std::min<size_t>(raw.size() - offset, 65535);
        bool last = offset + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<char>(length & 0xFF));
        out.push_back(static_cast<char>(length >> 8));
        out.push_back(static_cast<char>(~length & 0xFF));
        out.push_back(static_cast<char>((~length >> 8) & 0xFF));
        out.append(raw, offset, length);
        offset += length;
    } while (offset < raw.size());
    uint32 a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(&out, (b << 16) | a);
    return out;
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

    std::string out = "\x89PNG\r\n\x1a\n";
    PutChunk(&out, "IHDR", header);
    PutChunk(&out, "IDAT", StoredZlib(raw));
    PutChunk(&out, "IEND", std::string());
    *png = std::move(out);
    return B_OK;
}

} // namespace kit_private
