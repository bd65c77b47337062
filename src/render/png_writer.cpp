#include "render/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "render/picture.h"

namespace kanimo {

namespace {

// libpng reports an error by longjmp-ing back into writeRows. Nothing with a destructor is
// alive between its setjmp and any libpng call, and the message is copied into a plain
// buffer, so the jump skips no cleanup; the caller owns and releases everything else.
struct PngFailure {
    char message[200] = "";
};

[[noreturn]] void onPngError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// Converts each row to 8-bit RGB in `row` (sized 3 * width by the caller) and writes it.
// Returns false with `failure` set when libpng gives up.
bool writeRows(png_structp png, png_infop info, std::FILE* file, const Picture& picture,
               unsigned char* row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    const int width = picture.width();
    const int height = picture.height();
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const Colour* source = picture.pixels() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const Colour c = source[x];
            row[3 * x] = static_cast<unsigned char>(c & 0xFF);
            row[3 * x + 1] = static_cast<unsigned char>((c >> 8) & 0xFF);
            row[3 * x + 2] = static_cast<unsigned char>((c >> 16) & 0xFF);
        }
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

} // namespace

bool writePng(const Picture& picture, const std::string& path, std::string& error) {
    if (picture.width() <= 0 || picture.height() <= 0) {
        error = "cannot write " + path + ": the picture has no pixels";
        return false;
    }
    std::vector<unsigned char> row(static_cast<std::size_t>(picture.width()) * 3);
    PngFailure failure;

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot open " + path + " for writing: " + std::strerror(errno);
        return false;
    }
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError, onPngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        error = "cannot write " + path + ": out of memory";
        return false;
    }

    const bool written = writeRows(png, info, file, picture, row.data());
    png_destroy_write_struct(&png, &info);
    // Buffered bytes reach the file only now, so a full disk may show here first.
    errno = 0;
    bool saved = std::fflush(file) == 0;
    int reason = errno;
    if (std::fclose(file) != 0 && saved) {
        saved = false;
        reason = errno;
    }
    if (!written) {
        error = "cannot write " + path + ": " + failure.message;
        return false;
    }
    if (!saved) {
        error = "cannot write " + path + ": " + std::strerror(reason != 0 ? reason : EIO);
        return false;
    }
    return true;
}

} // namespace kanimo
