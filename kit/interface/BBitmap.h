#pragma once

// A picture in memory: rows of pixels in one colour space. B_CMAP8 pixels
// are one byte each, an index into the kit's palette (interface/Palette.h);
// B_RGBA32 pixels are four bytes, blue, green, red, alpha. Rows are padded
// to a multiple of four bytes. A new B_CMAP8 bitmap is all transparent, a
// new B_RGBA32 one all zero bytes (transparent black).
//
// Thread: a bitmap belongs to the thread that uses it; it holds no lock.

#include <kit/app/SupportDefs.h>
#include <kit/interface/BRect.h>
#include <kit/interface/GraphicsDefs.h>

#include <string>
#include <vector>

class BBitmap {
public:
    // Bounds in inclusive coordinates: (0, 0, 31, 31) is 32 by 32 pixels.
    BBitmap(BRect bounds, color_space space);
    BBitmap(const BBitmap&) = delete;
    BBitmap& operator=(const BBitmap&) = delete;

    status_t InitCheck() const { return fStatus; }
    BRect Bounds() const { return fBounds; }
    color_space ColorSpace() const { return fSpace; }
    // nullptr when InitCheck() is not B_OK.
    void* Bits() { return fBits.empty() ? nullptr : fBits.data(); }
    const void* Bits() const { return fBits.empty() ? nullptr : fBits.data(); }
    int32 BitsLength() const { return static_cast<int32>(fBits.size()); }
    int32 BytesPerRow() const { return fBytesPerRow; }

private:
    BRect fBounds;
    color_space fSpace = B_NO_COLOR_SPACE;
    int32 fBytesPerRow = 0;
    std::vector<uint8> fBits;
    status_t fStatus = B_NO_INIT;
};

namespace kit_private {

// Encodes a bitmap as a PNG file's bytes, transparent pixels kept.
// Thread: any.
status_t encode_png(const BBitmap& bitmap, std::string* png);

} // namespace kit_private
