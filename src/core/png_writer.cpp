#include "core/png_writer.h"

#include "core/dib_rows.h"
#include "core/shape_mask.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <png.h>
#include <zlib.h>

namespace kelpix::core {

namespace {

// Everything below that libpng touches is a plain C struct: the encode runs between setjmp and a
// possible longjmp, which must not skip any C++ destructor.

constexpr size_t kMessageLength = 200;

// A growable output buffer from malloc/realloc; it belongs to the caller of RunEncoder afterwards,
// on success and on failure alike.
struct Encoder {
    png_structp png;
    png_infop info;
    unsigned char* buffer;
    size_t capacity;
    size_t size;
    char message[kMessageLength];     // the fatal error
    char lastWarning[kMessageLength]; // libpng warns first of what its fatal error then only names
};

void CopyMessage(char* to, png_const_charp message) {
    std::strncpy(to, message != nullptr ? message : "", kMessageLength - 1);
    to[kMessageLength - 1] = '\0';
}

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    auto* encoder = static_cast<Encoder*>(png_get_error_ptr(png));
    CopyMessage(encoder->message, message);
    if (encoder->lastWarning[0] != '\0') {
        const size_t used = std::strlen(encoder->message);
        std::snprintf(encoder->message + used, kMessageLength - used, " (%s)", encoder->lastWarning);
    }
    png_longjmp(png, 1);
}

void OnWarning(png_structp png, png_const_charp message) {
    CopyMessage(static_cast<Encoder*>(png_get_error_ptr(png))->lastWarning, message);
}

void WriteData(png_structp png, png_bytep data, size_t length) {
    auto* encoder = static_cast<Encoder*>(png_get_io_ptr(png));
    if (length > encoder->capacity - encoder->size) {
        size_t grown = encoder->capacity;
        while (grown - encoder->size < length) {
            if (grown > static_cast<size_t>(-1) / 2) png_error(png, "out of memory");
            grown *= 2;
        }
        auto* bigger = static_cast<unsigned char*>(std::realloc(encoder->buffer, grown));
        if (bigger == nullptr) png_error(png, "out of memory");
        encoder->buffer = bigger;
        encoder->capacity = grown;
    }
    std::memcpy(encoder->buffer + encoder->size, data, length);
    encoder->size += length;
}

void FlushData(png_structp) {}

// Room for a file of half a byte per pixel, more than a typical screen capture needs.
size_t InitialCapacity(const PixelImage& image) {
    const uint64_t pixels = static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height);
    const uint64_t guess = pixels / 2 + 4096;
    const uint64_t cap = uint64_t{64} << 20;
    return static_cast<size_t>(guess < cap ? guess : cap);
}

int FilterMask(PngFilter filter) {
    return PNG_FILTER_NONE << static_cast<int>(filter);
}

// What the rows are made from. `rows` has room for two rows of the file's pixels; `rgb` for one row
// of red, green, blue bytes when the file has alpha.
struct RowSource {
    const PixelImage* image;
    const uint8_t* shapeMask; // nullptr: no alpha
    const uint8_t* paletteRgb;
    uint8_t* rows;
    uint8_t* rgb;
};

// The pixels of a red, green, blue row with the mask's values as alpha; white where it is 0.
void AddAlpha(const uint8_t* rgb, const uint8_t* alpha, uint8_t* rgba, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, rgb += 3, rgba += 4) {
        const bool outside = alpha[x] == 0;
        rgba[0] = outside ? 255 : rgb[0];
        rgba[1] = outside ? 255 : rgb[1];
        rgba[2] = outside ? 255 : rgb[2];
        rgba[3] = alpha[x];
    }
}

void WriteHeader(png_structp png, png_infop info, const PixelImage* image, bool withAlpha, int32_t pixelsPerMetre) {
    png_set_IHDR(png, info, static_cast<png_uint_32>(image->width), static_cast<png_uint_32>(image->height), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (pixelsPerMetre > 0) {
        const auto perMetre = static_cast<png_uint_32>(pixelsPerMetre);
        png_set_pHYs(png, info, perMetre, perMetre, PNG_RESOLUTION_METER);
    }
    png_set_compression_level(png, kPngZlibLevel);
    png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
    png_set_compression_buffer_size(png, 1 << 16); // IDAT chunks of 64 KB
    // Every filter is allowed at the start, so that libpng keeps the row above for all of them;
    // each row then gets the one filter chosen for it. libpng chooses the first row's itself.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_write_info(png, info);
}

void WriteRows(png_structp png, const RowSource* source) {
    const PixelImage* image = source->image;
    const RowConverter convert = RgbRowConverter(image->bitsPerPixel);
    const auto width = static_cast<uint32_t>(image->width), height = static_cast<uint32_t>(image->height);
    const size_t bytesPerPixel = source->shapeMask != nullptr ? 4 : 3;
    const size_t rowBytes = width * bytesPerPixel;
    const size_t stride = static_cast<size_t>(DibRowStride(image->width, image->bitsPerPixel));
    const uint8_t* bottomRow = image->bits.data();
    uint8_t* current = source->rows;
    uint8_t* above = source->rows + rowBytes;
    for (uint32_t row = 0; row < height; ++row) {
        const uint8_t* dibRow = bottomRow + static_cast<size_t>(height - 1 - row) * stride;
        if (source->shapeMask != nullptr) {
            convert(dibRow, source->rgb, width, source->paletteRgb);
            AddAlpha(source->rgb, source->shapeMask + static_cast<size_t>(row) * width, current, width);
        } else {
            convert(dibRow, current, width, source->paletteRgb);
        }
        if (row > 0) {
            const PngFilter filter = ChoosePngFilter({current, rowBytes}, {above, rowBytes}, bytesPerPixel);
            png_set_filter(png, PNG_FILTER_TYPE_BASE, FilterMask(filter));
        }
        png_write_row(png, current);
        std::swap(current, above);
    }
}

// Runs libpng from create to destroy. Returns false after a fatal library error, with its message
// in encoder->message. No object with a destructor may live in this frame or those it calls.
bool RunEncoder(Encoder* encoder, const RowSource* source, int32_t pixelsPerMetre) {
    encoder->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, encoder, OnError, OnWarning);
    if (encoder->png == nullptr) {
        CopyMessage(encoder->message, "out of memory");
        return false;
    }
    png_structp png = encoder->png;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&encoder->png, &encoder->info);
        return false;
    }
    encoder->info = png_create_info_struct(png);
    if (encoder->info == nullptr) png_error(png, "out of memory");
    encoder->capacity = InitialCapacity(*source->image);
    encoder->buffer = static_cast<unsigned char*>(std::malloc(encoder->capacity));
    if (encoder->buffer == nullptr) png_error(png, "out of memory");
    png_set_write_fn(png, encoder, WriteData, FlushData);

    WriteHeader(png, encoder->info, source->image, source->shapeMask != nullptr, pixelsPerMetre);
    WriteRows(png, source);
    png_write_end(png, encoder->info);
    png_destroy_write_struct(&encoder->png, &encoder->info);
    return true;
}

struct FreeBuffer {
    void operator()(unsigned char* buffer) const { std::free(buffer); }
};

// A residual as libpng weighs it: the byte read as a signed number, without its sign.
inline uint32_t Magnitude(int residual) {
    const auto byte = static_cast<uint8_t>(residual);
    return byte < 128 ? byte : 256u - byte;
}

inline int PaethPredictor(int left, int up, int upLeft) {
    const int p = left + up - upLeft;
    const int toLeft = std::abs(p - left), toUp = std::abs(p - up), toUpLeft = std::abs(p - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) return left;
    return toUp <= toUpLeft ? up : upLeft;
}

template <size_t BytesPerPixel> PngFilter ChooseFilter(std::span<const uint8_t> row, std::span<const uint8_t> above) {
    // 16 pixels out of every 64: a quarter of the work, and every phase of text set in cells of
    // up to 16 pixels is seen.
    constexpr size_t kSampleBytes = 16 * BytesPerPixel, kPeriodBytes = 64 * BytesPerPixel;
    const size_t bytes = std::min(row.size(), above.size());
    uint32_t sums[5] = {};
    for (size_t start = 0; start < bytes; start += kPeriodBytes) {
        const size_t end = std::min(start + kSampleBytes, bytes);
        for (size_t i = start; i < end; ++i) {
            const int x = row[i], up = above[i];
            const bool first = i < BytesPerPixel;
            const int left = first ? 0 : row[i - BytesPerPixel], upLeft = first ? 0 : above[i - BytesPerPixel];
            sums[0] += Magnitude(x);
            sums[1] += Magnitude(x - left);
            sums[2] += Magnitude(x - up);
            sums[3] += Magnitude(x - ((left + up) >> 1));
            sums[4] += Magnitude(x - PaethPredictor(left, up, upLeft));
        }
    }
    return static_cast<PngFilter>(std::min_element(std::begin(sums), std::end(sums)) - std::begin(sums));
}

} // namespace

PngFilter ChoosePngFilter(std::span<const uint8_t> row, std::span<const uint8_t> above, size_t bytesPerPixel) {
    if (std::equal(row.begin(), row.end(), above.begin(), above.end())) return PngFilter::Up;
    return bytesPerPixel == 4 ? ChooseFilter<4>(row, above) : ChooseFilter<3>(row, above);
}

std::vector<uint8_t> EncodePng(const PixelImage& image, const PngOptions& options) {
    if (auto problem = CheckImage(image)) throw std::invalid_argument("cannot write PNG: " + *problem);
    if (auto problem = CheckShapeMask(image, options.shapeMask))
        throw std::invalid_argument("cannot write PNG: " + *problem);
    if (auto problem = CheckDpi(options.dpi)) throw std::invalid_argument("cannot write PNG: " + *problem);
    if (IsEmpty(image)) return {};

    const bool withAlpha = !options.shapeMask.empty();
    const size_t width = static_cast<size_t>(image.width);
    std::vector<uint8_t> rows(width * (withAlpha ? 4 : 3) * 2), rgb(withAlpha ? width * 3 : 0);
    const std::array<uint8_t, 256 * 3> paletteRgb = PaletteRgb(image);
    const RowSource source{&image, withAlpha ? options.shapeMask.data() : nullptr, paletteRgb.data(), rows.data(),
                           rgb.data()};
    Encoder encoder{};
    const bool finished = RunEncoder(&encoder, &source, PixelsPerMetre(options.dpi));
    const std::unique_ptr<unsigned char, FreeBuffer> output(encoder.buffer);
    if (!finished) throw PngError(encoder.message);
    return std::vector<uint8_t>(output.get(), output.get() + encoder.size);
}

} // namespace kelpix::core
