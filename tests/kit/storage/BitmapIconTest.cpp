#include "app/AppIcons.h"
#include "support/TempDir.h"
#include <kit/interface/BBitmap.h>
#include <kit/interface/Palette.h>
#include <kit/storage/AppResources.h>
#include <kit/storage/BAppFileInfo.h>
#include <kit/storage/BFile.h>

#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// The pixels of a CMAP8 bitmap without row padding.
std::vector<uint8> Pixels(const BBitmap& bitmap) {
    std::vector<uint8> pixels;
    const auto* bits = static_cast<const uint8*>(bitmap.Bits());
    int width = bitmap.Bounds().IntegerWidth() + 1;
    for (int y = 0; y <= bitmap.Bounds().IntegerHeight(); ++y)
        pixels.insert(pixels.end(), bits + y * bitmap.BytesPerRow(),
                      bits + y * bitmap.BytesPerRow() + width);
    return pixels;
}

} // namespace

TEST(Bitmap, SizesAndRejectedShapes) {
    struct Case {
        BRect bounds;
        color_space space;
        status_t status;
        int32 bytesPerRow;
        int32 length;
    };
    const Case cases[] = {
        {BRect(0, 0, 31, 31), B_CMAP8, B_OK, 32, 1024},
        {BRect(0, 0, 15, 15), B_CMAP8, B_OK, 16, 256},
        {BRect(0, 0, 2, 1), B_CMAP8, B_OK, 4, 8},
        {BRect(10, 10, 12, 11), B_RGBA32, B_OK, 12, 24},
        {BRect(0, 0, -1, -1), B_CMAP8, B_BAD_VALUE, 0, 0},
        {BRect(0, 0, 31, 31), B_NO_COLOR_SPACE, B_BAD_VALUE, 0, 0},
        {BRect(0, 0, 1e9f, 1e9f), B_CMAP8, B_BAD_VALUE, 0, 0},
    };
    for (const Case& c : cases) {
        BBitmap bitmap(c.bounds, c.space);
        EXPECT_EQ(bitmap.InitCheck(), c.status);
        EXPECT_EQ(bitmap.BytesPerRow(), c.bytesPerRow);
        EXPECT_EQ(bitmap.BitsLength(), c.length);
        EXPECT_EQ(bitmap.Bits() == nullptr, c.status != B_OK);
        EXPECT_EQ(bitmap.Bounds(), c.bounds);
    }
    // A new colour-mapped bitmap shows nothing.
    BBitmap fresh(BRect(0, 0, 2, 0), B_CMAP8);
    EXPECT_EQ(Pixels(fresh), std::vector<uint8>(3, B_TRANSPARENT_MAGIC_CMAP8));
}

TEST(Bitmap, PngShowsEveryPixelAndIsCompressed) {
    // Rows padded or not, both colour spaces, and a picture larger than one
    // deflate block; every pixel is read back by Qt's reader. A picture of
    // few colours must come out far smaller than its pixels.
    struct Case {
        int width;
        int height;
        color_space space;
        bool plain; // every pixel alike
    };
    const Case cases[] = {
        {3, 2, B_RGBA32, false},     {5, 3, B_CMAP8, false},     {1, 1, B_CMAP8, true},
        {300, 200, B_RGBA32, false}, {300, 200, B_RGBA32, true}, {257, 300, B_CMAP8, false},
    };
    const auto& palette = system_palette();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        BBitmap bitmap(BRect(0, 0, c.width - 1, c.height - 1), c.space);
        auto* bits = static_cast<uint8*>(bitmap.Bits());
        const int pixelSize = c.space == B_CMAP8 ? 1 : 4;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                for (int k = 0; k < pixelSize; ++k)
                    bits[y * bitmap.BytesPerRow() + x * pixelSize + k] =
                        c.plain ? uint8(200 + k) : uint8((x * 7 + y * 13 + k * 61) % 256);
        std::string png;
        ASSERT_EQ(kit_private::encode_png(bitmap, &png), B_OK);
        QImage image = QImage::fromData(reinterpret_cast<const uchar*>(png.data()),
                                        static_cast<int>(png.size()), "PNG");
        ASSERT_EQ(image.size(), QSize(c.width, c.height));
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const uint8* pixel = bits + y * bitmap.BytesPerRow() + x * pixelSize;
                rgb_color color = c.space == B_CMAP8
                                      ? palette[pixel[0]]
                                      : rgb_color{pixel[2], pixel[1], pixel[0], pixel[3]};
                QRgb got = image.pixel(x, y);
                ASSERT_EQ(got, qRgba(color.red, color.green, color.blue, color.alpha))
                    << x << "," << y;
            }
        if (c.plain) {
            EXPECT_LT(png.size(), size_t(100 + c.width * c.height / 100));
        }
    }

    std::string untouched = "old";
    BBitmap invalid(BRect(0, 0, -1, -1), B_RGBA32);
    EXPECT_EQ(kit_private::encode_png(invalid, &untouched), B_NO_INIT);
    EXPECT_EQ(untouched, "old");
    EXPECT_EQ(kit_private::encode_png(BBitmap(BRect(0, 0, 1, 1), B_CMAP8), nullptr), B_BAD_VALUE);
}

TEST(Palette, FixedCornersOfTheTable) {
    const auto& palette = system_palette();
    EXPECT_EQ(palette[B_TRANSPARENT_MAGIC_CMAP8].alpha, 0);
    EXPECT_EQ(palette[cmap8_cube_index(0, 0, 0)], (rgb_color{0, 0, 0, 255}));
    EXPECT_EQ(palette[cmap8_cube_index(5, 5, 5)], (rgb_color{255, 255, 255, 255}));
    EXPECT_EQ(palette[cmap8_cube_index(5, 3, 0)], (rgb_color{255, 153, 0, 255}));
    EXPECT_EQ(palette[cmap8_grey_index(0)], (rgb_color{0, 0, 0, 255}));
    EXPECT_EQ(palette[cmap8_grey_index(38)], (rgb_color{255, 255, 255, 255}));
    EXPECT_EQ(cmap8_grey_index(38), 254);
}

TEST(AppFileInfo, IconsComeOnlyFromTheRunningExecutable) {
    RegisterAppIcons();
    std::vector<uint8> registered;
    ASSERT_EQ(registered_app_icon(B_LARGE_ICON, &registered), B_OK);

    BFile self("/proc/self/exe", B_READ_ONLY);
    BAppFileInfo info(&self);
    BBitmap large(BRect(0, 0, 31, 31), B_CMAP8);
    ASSERT_EQ(info.GetIcon(&large, B_LARGE_ICON), B_OK);
    EXPECT_EQ(Pixels(large), registered);
    BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
    ASSERT_EQ(info.GetIcon(&mini, B_MINI_ICON), B_OK);
    EXPECT_NE(Pixels(mini), std::vector<uint8>(256, B_TRANSPARENT_MAGIC_CMAP8));

    // Wrong bitmaps, other files and a program without icons leave the bitmap
    // as it was.
    const std::vector<uint8> untouched(1024, B_TRANSPARENT_MAGIC_CMAP8);
    BBitmap target(BRect(0, 0, 31, 31), B_CMAP8);
    EXPECT_EQ(info.GetIcon(&target, B_MINI_ICON), B_BAD_VALUE);
    BBitmap rgba(BRect(0, 0, 31, 31), B_RGBA32);
    EXPECT_EQ(info.GetIcon(&rgba, B_LARGE_ICON), B_BAD_VALUE);

    TempDir dir;
    std::string other = dir.Write("other-program", "not us");
    BFile otherFile(other.c_str(), B_READ_ONLY);
    BAppFileInfo otherInfo(&otherFile);
    EXPECT_NE(otherInfo.GetIcon(&target, B_LARGE_ICON), B_OK);
    EXPECT_EQ(Pixels(target), untouched);

    BFile unopened(dir.File("missing").c_str(), B_READ_ONLY);
    BAppFileInfo unopenedInfo(&unopened);
    EXPECT_NE(unopenedInfo.GetIcon(&target, B_LARGE_ICON), B_OK);

    clear_app_icons();
    EXPECT_EQ(info.GetIcon(&target, B_LARGE_ICON), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(Pixels(target), untouched);
    RegisterAppIcons();
}

TEST(AppResources, RegistrationIsSafeFromAnyThread) {
    std::vector<uint8> a(256, 1);
    std::vector<uint8> b(256, 2);
    EXPECT_EQ(register_app_icon(B_MINI_ICON, a.data(), 255), B_BAD_VALUE);
    std::thread writer([&] {
        for (int i = 0; i < 200; ++i)
            register_app_icon(B_MINI_ICON, (i % 2 ? a : b).data(), 256);
    });
    for (int i = 0; i < 200; ++i) {
        std::vector<uint8> read;
        if (registered_app_icon(B_MINI_ICON, &read) == B_OK) {
            ASSERT_EQ(read.size(), 256u);
            EXPECT_TRUE(read == a || read == b || read[0] > 2);
        }
    }
    writer.join();
    RegisterAppIcons();
}

TEST(AppIcons, PackagedPngFilesShowTheCompiledInIcons) {
    // The desktop entry's icons are written at build time from the same
    // pictures; Qt's reader, not the kit's writer, judges what they show.
    const char* build = std::getenv("MF_TEST_BINARY_DIR");
    if (build == nullptr)
        build = MF_BINARY_DIR_AT_BUILD;
    RegisterAppIcons();
    const auto& palette = system_palette();
    for (icon_size size : {B_LARGE_ICON, B_MINI_ICON}) {
        int side = static_cast<int>(size);
        std::vector<uint8> pixels;
        ASSERT_EQ(registered_app_icon(size, &pixels), B_OK);
        std::string path = std::string(build) + "/packaging/icons/MirvexOggVorbisFrontend-" +
                           std::to_string(side) + "x" + std::to_string(side) + ".png";
        QImage image(QString::fromStdString(path), "PNG");
        ASSERT_FALSE(image.isNull()) << path;
        ASSERT_EQ(image.size(), QSize(side, side));

        // The kit's own PNG encoding must agree as well.
        BBitmap bitmap(BRect(0, 0, side - 1, side - 1), B_CMAP8);
        for (int y = 0; y < side; ++y)
            std::memcpy(static_cast<uint8*>(bitmap.Bits()) + y * bitmap.BytesPerRow(),
                        pixels.data() + y * side, static_cast<size_t>(side));
        std::string png;
        ASSERT_EQ(kit_private::encode_png(bitmap, &png), B_OK);
        QImage encoded = QImage::fromData(reinterpret_cast<const uchar*>(png.data()),
                                          static_cast<int>(png.size()), "PNG");

        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                rgb_color c = palette[pixels[static_cast<size_t>(y * side + x)]];
                QRgb expected = c.alpha == 0 ? 0 : qRgba(c.red, c.green, c.blue, c.alpha);
                QRgb packaged = image.pixel(x, y);
                QRgb kit = encoded.pixel(x, y);
                if (qAlpha(packaged) == 0)
                    packaged = 0;
                if (qAlpha(kit) == 0)
                    kit = 0;
                ASSERT_EQ(packaged, expected) << side << ": " << x << "," << y;
                ASSERT_EQ(kit, expected) << side << ": " << x << "," << y;
            }
    }
}
