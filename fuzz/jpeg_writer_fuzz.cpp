// Encodes small images of every depth as JPEG, now and then one wider than libjpeg allows, and
// decodes the result with libjpeg.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <jerror.h>

#include "core/jpeg_writer.h"
#include "encoder_input.h"

using kelpix::fuzz::Check;

namespace {

constexpr JDIMENSION kMaxDecodedWidth = 128;

struct Decoder {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    std::jmp_buf jump;
};

void JumpOnError(j_common_ptr cinfo) {
    std::longjmp(static_cast<Decoder*>(cinfo->client_data)->jump, 1);
}

// Decodes the whole file; false when libjpeg rejects it.
bool Decode(Decoder* d, const std::vector<uint8_t>* file, JDIMENSION* width, JDIMENSION* height, unsigned char* row) {
    d->cinfo.err = jpeg_std_error(&d->err);
    d->err.error_exit = JumpOnError;
    d->cinfo.client_data = d;
    if (setjmp(d->jump)) {
        jpeg_destroy_decompress(&d->cinfo);
        return false;
    }
    jpeg_create_decompress(&d->cinfo);
    d->cinfo.client_data = d;
    jpeg_mem_src(&d->cinfo, file->data(), static_cast<unsigned long>(file->size()));
    jpeg_read_header(&d->cinfo, TRUE);
    d->cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d->cinfo);
    *width = d->cinfo.output_width;
    *height = d->cinfo.output_height;
    if (d->cinfo.output_width <= kMaxDecodedWidth) { // the images beyond the limit stop at the header
        while (d->cinfo.output_scanline < d->cinfo.output_height) {
            JSAMPROW rows[1] = {row};
            jpeg_read_scanlines(&d->cinfo, rows, 1);
        }
        jpeg_finish_decompress(&d->cinfo);
    }
    jpeg_destroy_decompress(&d->cinfo);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    kelpix::core::PixelImage image;
    std::vector<uint8_t> file;
    if (!kelpix::fuzz::EncodeFuzzedImage<kelpix::core::JpegError>(
            input, 65500, 10, false, [](const kelpix::core::PixelImage& i) { return kelpix::core::EncodeJpeg(i); },
            [](const kelpix::core::JpegError& e) { return e.code() == JERR_IMAGE_TOO_BIG; }, image, file))
        return 0;

    Decoder decoder{};
    JDIMENSION width = 0, height = 0;
    std::vector<unsigned char> row(3 * kMaxDecodedWidth);
    Check(Decode(&decoder, &file, &width, &height, row.data()), "the file does not decode");
    Check(width == static_cast<JDIMENSION>(image.width) && height == static_cast<JDIMENSION>(image.height),
          "the file has the wrong size");
    Check(kelpix::core::EncodeJpeg(image) == file, "encoding the same image twice differs");
    return 0;
}
