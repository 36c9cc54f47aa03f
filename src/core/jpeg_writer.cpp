#include "core/jpeg_writer.h"

#include "core/dib_rows.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <array>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

namespace kelpix::core {

JpegError::JpegError(int code, const std::string& libraryMessage)
    : std::runtime_error("JPEG error #" + std::to_string(code) + ": " + libraryMessage), code_(code) {}

namespace {

// Everything below that libjpeg touches is a plain C struct: the encode runs between setjmp and a
// possible longjmp, which must not skip any C++ destructor.

struct ErrorManager {
    jpeg_error_mgr pub; // first, so that cinfo->err can be cast back
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// A growable output buffer from malloc/realloc. libjpeg calls grow() whenever the buffer is full;
// the buffer belongs to the caller of RunEncoder afterwards, on success and on failure alike.
struct MemoryDestination {
    jpeg_destination_mgr pub; // first, so that cinfo->dest can be cast back
    unsigned char* buffer;
    size_t capacity;
    size_t size;
};

struct Encoder {
    jpeg_compress_struct cinfo;
    ErrorManager error;
    MemoryDestination destination;
};

// --- error manager -------------------------------------------------------------------------------

void ExitWithError(j_common_ptr cinfo) {
    auto* error = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->message);
    std::longjmp(error->jump, 1);
}

void DropMessage(j_common_ptr, int) {}

void DropOutput(j_common_ptr) {}

// --- memory destination --------------------------------------------------------------------------

MemoryDestination* DestinationOf(j_compress_ptr cinfo) {
    return reinterpret_cast<MemoryDestination*>(cinfo->dest);
}

void InitDestination(j_compress_ptr cinfo) {
    MemoryDestination* dest = DestinationOf(cinfo);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->capacity;
}

boolean GrowDestination(j_compress_ptr cinfo) {
    MemoryDestination* dest = DestinationOf(cinfo);
    // libjpeg asks only when the whole buffer is full.
    const size_t used = dest->capacity;
    if (used > static_cast<size_t>(-1) / 2) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
    const size_t grown = used * 2;
    auto* bigger = static_cast<unsigned char*>(std::realloc(dest->buffer, grown));
    if (bigger == nullptr) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 2);
    dest->buffer = bigger;
    dest->capacity = grown;
    dest->pub.next_output_byte = bigger + used;
    dest->pub.free_in_buffer = grown - used;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    MemoryDestination* dest = DestinationOf(cinfo);
    dest->size = dest->capacity - dest->pub.free_in_buffer;
}

// Start with room for roughly two bits per pixel, which screen content at quality 92 rarely exceeds,
// so a typical capture needs no reallocation.
size_t InitialCapacity(const PixelImage& image) {
    const uint64_t pixels = static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height);
    const uint64_t guess = pixels / 4 + 4096;
    const uint64_t cap = uint64_t{64} << 20;
    return static_cast<size_t>(guess < cap ? guess : cap);
}

// How libjpeg takes the rows of an image: 32 and 24-bit rows go in as they are, in the library's
// blue-green-red input layouts, which it turns into YCbCr exactly as it does red-green-blue rows;
// the other depths are turned into red-green-blue rows first.
struct RowFormat {
    J_COLOR_SPACE colorSpace;
    int components;
    RowConverter convert; // nullptr: the DIB row is the scanline
};

RowFormat FormatFor(int32_t bitsPerPixel) {
    switch (bitsPerPixel) {
    case 32:
        return {JCS_EXT_BGRX, 4, nullptr};
    case 24:
        return {JCS_EXT_BGR, 3, nullptr};
    default:
        return {JCS_RGB, 3, RgbRowConverter(bitsPerPixel)};
    }
}

// --- the encode ----------------------------------------------------------------------------------

void SetParameters(jpeg_compress_struct* cinfo, const PixelImage* image, const RowFormat* format, uint32_t dpi) {
    cinfo->image_width = static_cast<JDIMENSION>(image->width);
    cinfo->image_height = static_cast<JDIMENSION>(image->height);
    cinfo->input_components = format->components;
    cinfo->in_color_space = format->colorSpace;
    jpeg_set_defaults(cinfo);
    cinfo->dct_method = JDCT_FLOAT;
    jpeg_set_quality(cinfo, kJpegQuality, TRUE);
    if (dpi != kUnknownDpi) {
        cinfo->density_unit = 1; // dots per inch
        cinfo->X_density = static_cast<UINT16>(dpi);
        cinfo->Y_density = static_cast<UINT16>(dpi);
    }
}

// Runs libjpeg from create to destroy. Returns false after a fatal library error, with the message
// code and text in encoder->error. On both paths encoder->destination.buffer is left for the caller
// to free. No object with a destructor may live in this frame.
bool RunEncoder(Encoder* encoder, const PixelImage* image, const RowFormat* format, uint32_t dpi, uint8_t* rgbRow,
                const uint8_t* paletteRgb) {
    jpeg_compress_struct* cinfo = &encoder->cinfo;
    cinfo->err = jpeg_std_error(&encoder->error.pub);
    encoder->error.pub.error_exit = ExitWithError;
    encoder->error.pub.emit_message = DropMessage; // warnings and trace messages are not shown
    encoder->error.pub.output_message = DropOutput;

    if (setjmp(encoder->error.jump)) {
        jpeg_destroy_compress(cinfo);
        return false;
    }

    jpeg_create_compress(cinfo);

    MemoryDestination* dest = &encoder->destination;
    dest->pub.init_destination = InitDestination;
    dest->pub.empty_output_buffer = GrowDestination;
    dest->pub.term_destination = TermDestination;
    dest->capacity = InitialCapacity(*image);
    dest->buffer = static_cast<unsigned char*>(std::malloc(dest->capacity));
    if (dest->buffer == nullptr) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    cinfo->dest = &dest->pub;

    SetParameters(cinfo, image, format, dpi);
    jpeg_start_compress(cinfo, TRUE);
    const auto height = static_cast<JDIMENSION>(image->height);
    const auto width = static_cast<JDIMENSION>(image->width);
    const size_t stride = static_cast<size_t>(DibRowStride(image->width, image->bitsPerPixel));
    const uint8_t* bottomRow = image->bits.data();
    for (JDIMENSION row = 0; row < height; ++row) {
        const uint8_t* dibRow = bottomRow + static_cast<size_t>(height - 1 - row) * stride;
        // libjpeg only reads the scanlines it is given.
        JSAMPROW scanline = const_cast<uint8_t*>(dibRow);
        if (format->convert != nullptr) {
            format->convert(dibRow, rgbRow, width, paletteRgb);
            scanline = rgbRow;
        }
        jpeg_write_scanlines(cinfo, &scanline, 1);
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
    return true;
}

struct FreeBuffer {
    void operator()(unsigned char* buffer) const { std::free(buffer); }
};

} // namespace

std::vector<uint8_t> EncodeJpeg(const PixelImage& image, uint32_t dpi) {
    if (auto problem = CheckImage(image)) throw std::invalid_argument("cannot write JPEG: " + *problem);
    if (auto problem = CheckDpi(dpi)) throw std::invalid_argument("cannot write JPEG: " + *problem);
    if (IsEmpty(image)) return {};

    const RowFormat format = FormatFor(image.bitsPerPixel);
    std::vector<uint8_t> rgbRow(format.convert != nullptr ? static_cast<size_t>(image.width) * 3 : 0);
    const std::array<uint8_t, 256 * 3> paletteRgb = PaletteRgb(image);

    Encoder encoder{};
    const bool finished = RunEncoder(&encoder, &image, &format, dpi, rgbRow.data(), paletteRgb.data());
    const std::unique_ptr<unsigned char, FreeBuffer> output(encoder.destination.buffer);
    if (!finished) throw JpegError(encoder.error.pub.msg_code, encoder.error.message);
    return std::vector<uint8_t>(output.get(), output.get() + encoder.destination.size);
}

} // namespace kelpix::core
