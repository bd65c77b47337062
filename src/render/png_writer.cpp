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
// The bytes go through our own write function, which keeps the errno of a failed write:
// the system's reason says more than libpng's "Write Error".
struct PngFailure {
    std::FILE* file = nullptr;
    int writeError = 0;
    char message[200] = "";
};

[[noreturn]] void onPngError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

void writeBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* failure = static_cast<PngFailure*>(png_get_io_ptr(png));
    errno = 0;
    if (std::fwrite(data, 1, length, failure->file) != length) {
        failure->writeError = errno != 0 ? errno : EIO;
        png_error(png, "write failed");
    }
}

void flushBytes(png_structp) {}

// Converts each row to 8-bit RGB in `row` (sized 3 * width by the caller) and writes it.
// Returns false with `failure` set when libpng gives up.
bool writeRows(png_structp png, png_infop info, PngFailure& failure, const Picture& picture,
               unsigned char* row) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, &failure, writeBytes, flushBytes);
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

bool writePng(const Picture& picture, std::FILE* file, std::string& reason) {
    if (picture.width() <= 0 || picture.height() <= 0) {
        reason = "the picture has no pixels";
        return false;
    }
    std::vector<unsigned char> row(static_cast<std::size_t>(picture.width()) * 3);
    PngFailure failure;
    failure.file = file;

    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, onPngError, onPngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        reason = std::strerror(ENOMEM);
        return false;
    }
    const bool written = writeRows(png, info, failure, picture, row.data());
    png_destroy_write_struct(&png, &info);
    if (!written) {
        reason = failure.writeError != 0 ? std::strerror(failure.writeError) : failure.message;
        return false;
    }
    // Buffered bytes reach the file only now, so a full disk may show here first.
    if (std::fflush(file) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace kanimo
