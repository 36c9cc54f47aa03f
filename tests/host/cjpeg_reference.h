// The reference JPEG encode: what `cjpeg -dct float -quality 92` makes of RGB rows, with libjpeg's
// calls as cjpeg makes them (jpeg_set_defaults, JDCT_FLOAT, jpeg_set_quality(92)), one row per
// jpeg_write_scanlines, into libjpeg's memory destination. The program's encoder makes the same file.
#pragma once

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace kelpix::test {

// `row(y)` gives row y (from the top) as red, green, blue bytes, asked for each row in turn;
// `done(data, size)` gets the file before it is freed.
template <class Row, class Done> void CjpegFloat92(JDIMENSION width, JDIMENSION height, Row row, Done done) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    cinfo.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&cinfo, 92, FALSE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW scanline = row(cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &scanline, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    done(static_cast<const unsigned char*>(out), size);
    std::free(out);
}

} // namespace kelpix::test
