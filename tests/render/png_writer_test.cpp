#include "render/png_writer.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "render/picture.h"

namespace kanimo {
namespace {

Picture patternPicture(int width, int height) {
    Picture p;
    p.setSize(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            p.setBrushColour(
                static_cast<Colour>(x * 7 + 256 * (y * 13 % 256) + 65536 * ((x + y) % 256)));
            p.rectangle(x, y, x + 2, y + 2);
        }
    }
    return p;
}

TEST(PngWriter, RoundTripKeepsEveryPixel) {
    const Picture picture = patternPicture(37, 23);
    const std::string path = testing::TempDir() + "kanimo_png_round_trip.png";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::string error;
    ASSERT_TRUE(writePng(picture, file, error)) << error;
    ASSERT_EQ(std::fclose(file), 0);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
    EXPECT_EQ(image.width, 37u);
    EXPECT_EQ(image.height, 23u);
    EXPECT_EQ(image.format, static_cast<png_uint_32>(PNG_FORMAT_RGB)); // 8-bit, no alpha
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;
    std::remove(path.c_str());

    for (int y = 0; y < 23; ++y) {
        for (int x = 0; x < 37; ++x) {
            const png_byte* px = &rgb[(static_cast<std::size_t>(y) * 37 + x) * 3];
            const Colour read = px[0] + 256u * px[1] + 65536u * px[2];
            ASSERT_EQ(read, picture.pixel(x, y)) << x << "," << y;
        }
    }
}

TEST(PngWriter, FailuresGiveTheSystemsReason) {
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    std::string reason;
    EXPECT_FALSE(writePng(Picture{}, sink, reason));
    EXPECT_EQ(reason, "the picture has no pixels");
    std::fclose(sink);

    if (std::FILE* full = std::fopen("/dev/full", "wb")) {
        reason.clear();
        EXPECT_FALSE(writePng(patternPicture(64, 64), full, reason));
        EXPECT_EQ(reason, "No space left on device");
        std::fclose(full);
    }
}

} // namespace
} // namespace kanimo
