#include "core/jpeg_writer.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include <gtest/gtest.h>

#include "cjpeg_reference.h"
#include "test_images.h"

namespace kelpix::core {
namespace {

using test::MakeIndexedImage;
using test::MakeTrueColourImage;
using test::ReadPixel;
using test::Rgb;

// What libjpeg's decoder reads from a file.
struct DecodedJpeg {
    bool ok = false;
    char error[JMSG_LENGTH_MAX] = {};
    jpeg_decompress_struct header{}; // the fields jpeg_read_header fills in; pointers in it are not kept
    int hSampling[3] = {}, vSampling[3] = {};
    UINT16 quant[2][DCTSIZE2] = {};
    std::vector<std::vector<UINT8>> huffman; // bits and values of DC 0, DC 1, AC 0, AC 1
    std::vector<uint8_t> rgb;                // top row first
};

struct Decoder {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void JumpOnError(j_common_ptr cinfo) {
    std::longjmp(static_cast<Decoder*>(cinfo->client_data)->jump, 1);
}

std::vector<UINT8> HuffmanTable(const JHUFF_TBL* table) {
    if (table == nullptr) return {};
    std::vector<UINT8> content(table->bits, table->bits + 17);
    content.insert(content.end(), table->huffval, table->huffval + 256);
    return content;
}

// Decodes with libjpeg. Everything it changes lives in the caller's frame, so a jump skips nothing.
void DecodeInto(const std::vector<uint8_t>* file, DecodedJpeg* out, Decoder* d) {
    d->cinfo.err = jpeg_std_error(&d->pub);
    d->pub.error_exit = JumpOnError;
    d->cinfo.client_data = d; // kept by jpeg_create_decompress
    if (setjmp(d->jump)) {
        (*d->pub.format_message)(reinterpret_cast<j_common_ptr>(&d->cinfo), out->error);
        jpeg_destroy_decompress(&d->cinfo);
        return;
    }
    jpeg_create_decompress(&d->cinfo);
    jpeg_mem_src(&d->cinfo, file->data(), static_cast<unsigned long>(file->size()));
    jpeg_read_header(&d->cinfo, TRUE);
    out->header = d->cinfo;
    for (int c = 0; c < 3 && c < d->cinfo.num_components; ++c) {
        out->hSampling[c] = d->cinfo.comp_info[c].h_samp_factor;
        out->vSampling[c] = d->cinfo.comp_info[c].v_samp_factor;
    }
    for (int t = 0; t < 2 && d->cinfo.quant_tbl_ptrs[t] != nullptr; ++t) {
        std::memcpy(out->quant[t], d->cinfo.quant_tbl_ptrs[t]->quantval, sizeof out->quant[t]);
    }
    for (JHUFF_TBL* table : {d->cinfo.dc_huff_tbl_ptrs[0], d->cinfo.dc_huff_tbl_ptrs[1], d->cinfo.ac_huff_tbl_ptrs[0],
                             d->cinfo.ac_huff_tbl_ptrs[1]}) {
        out->huffman.push_back(HuffmanTable(table));
    }
    d->cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d->cinfo);
    out->rgb.resize(static_cast<size_t>(d->cinfo.output_width) * d->cinfo.output_height * 3);
    while (d->cinfo.output_scanline < d->cinfo.output_height) {
        JSAMPROW row = out->rgb.data() + static_cast<size_t>(d->cinfo.output_scanline) * d->cinfo.output_width * 3;
        jpeg_read_scanlines(&d->cinfo, &row, 1);
    }
    jpeg_finish_decompress(&d->cinfo);
    jpeg_destroy_decompress(&d->cinfo);
    out->ok = true;
}

DecodedJpeg Decode(const std::vector<uint8_t>& file) {
    DecodedJpeg out;
    Decoder decoder{};
    DecodeInto(&file, &out, &decoder);
    EXPECT_TRUE(out.ok) << out.error;
    return out;
}

// The quantisation tables libjpeg sets up for a quality and its standard Huffman tables, to compare
// with the file's.
void ReferenceTables(int quality, UINT16 (*tables)[DCTSIZE2], std::vector<std::vector<UINT8>>* huffman) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    cinfo.in_color_space = JCS_RGB;
    cinfo.input_components = 3;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int t = 0; t < 2; ++t)
        std::memcpy(tables[t], cinfo.quant_tbl_ptrs[t]->quantval, sizeof tables[t]);
    for (JHUFF_TBL* table :
         {cinfo.dc_huff_tbl_ptrs[0], cinfo.dc_huff_tbl_ptrs[1], cinfo.ac_huff_tbl_ptrs[0], cinfo.ac_huff_tbl_ptrs[1]}) {
        huffman->push_back(HuffmanTable(table));
    }
    jpeg_destroy_compress(&cinfo);
}

// The marker codes of the file's segments, in order, up to the start of the scan.
std::vector<int> MarkersBeforeScan(const std::vector<uint8_t>& file) {
    std::vector<int> markers;
    for (size_t at = 2; at + 4 <= file.size() && file[at] == 0xFF;) {
        markers.push_back(file[at + 1]);
        if (markers.back() == 0xDA) break;
        at += 2 + ((file[at + 2] << 8u) | file[at + 3]);
    }
    return markers;
}

double Psnr(const PixelImage& source, const DecodedJpeg& d) {
    double squared = 0;
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            const Rgb a = ReadPixel(source, x, y);
            const uint8_t* b = d.rgb.data() + (static_cast<size_t>(y) * source.width + x) * 3;
            squared += std::pow(a.r - b[0], 2) + std::pow(a.g - b[1], 2) + std::pow(a.b - b[2], 2);
        }
    }
    const double mse = squared / (3.0 * source.width * source.height);
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// What cjpeg -dct float -quality 92 makes of the image's colours.
std::vector<uint8_t> CjpegFloat92(const PixelImage& image) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb c = ReadPixel(image, x, y);
            rgb.insert(rgb.end(), {c.r, c.g, c.b});
        }
    }
    std::vector<uint8_t> file;
    test::CjpegFloat92(
        static_cast<JDIMENSION>(image.width), static_cast<JDIMENSION>(image.height),
        [&](JDIMENSION y) { return rgb.data() + static_cast<size_t>(y) * image.width * 3; },
        [&](const unsigned char* data, unsigned long size) { file.assign(data, data + size); });
    return file;
}

// Smooth colours, as photos and gradients in a capture have them.
Rgb Smooth(int x, int y) {
    auto wave = [](double centre, double amplitude, double phase) {
        return static_cast<uint8_t>(std::lround(centre + amplitude * std::sin(phase)));
    };
    return {wave(128, 100, x / 7.0), wave(128, 100, y / 5.0 + 1), wave(120, 60, (x + y) / 9.0)};
}

TEST(JpegWriter, FileIsBaselineYCbCrAtQuality92WithDefaultJfif) {
    const std::vector<uint8_t> file = EncodeJpeg(MakeTrueColourImage(67, 35, 32, Smooth));
    const DecodedJpeg d = Decode(file);
    const jpeg_decompress_struct& h = d.header;
    EXPECT_EQ(h.image_width, 67u);
    EXPECT_EQ(h.image_height, 35u);
    EXPECT_EQ(h.num_components, 3);
    EXPECT_EQ(h.jpeg_color_space, JCS_YCbCr);
    EXPECT_FALSE(h.progressive_mode);
    EXPECT_FALSE(h.arith_code);
    EXPECT_EQ(h.restart_interval, 0u);
    EXPECT_TRUE(h.saw_JFIF_marker);
    EXPECT_EQ(h.density_unit, 0);
    EXPECT_EQ(h.X_density, 1);
    EXPECT_EQ(h.Y_density, 1);
    EXPECT_EQ(std::vector<int>(d.hSampling, d.hSampling + 3), (std::vector<int>{2, 1, 1}));
    EXPECT_EQ(std::vector<int>(d.vSampling, d.vSampling + 3), (std::vector<int>{2, 1, 1}));

    // JFIF first, exactly one frame and it is baseline (SOF0), four Huffman tables.
    const std::vector<int> markers = MarkersBeforeScan(file);
    ASSERT_FALSE(markers.empty());
    EXPECT_EQ(markers.front(), 0xE0);
    EXPECT_EQ(markers.back(), 0xDA);
    EXPECT_EQ(std::count_if(markers.begin(), markers.end(),
                            [](int m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }),
              1);
    EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xC0), 1);
    EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xC4), 4);

    UINT16 at92[2][DCTSIZE2], at75[2][DCTSIZE2];
    std::vector<std::vector<UINT8>> standardHuffman, unused;
    ReferenceTables(92, at92, &standardHuffman);
    ReferenceTables(75, at75, &unused); // the library's default quality, which must have been replaced
    EXPECT_EQ(d.huffman, standardHuffman) << "not the standard Huffman tables";
    for (int t = 0; t < 2; ++t) {
        EXPECT_EQ(std::memcmp(d.quant[t], at92[t], sizeof at92[t]), 0) << "table " << t;
        EXPECT_NE(std::memcmp(d.quant[t], at75[t], sizeof at75[t]), 0) << "table " << t;
    }
}

TEST(JpegWriter, JfifHeaderCarriesTheDpiAndThePixelsStayTheSame) {
    const PixelImage image = MakeTrueColourImage(41, 23, 32, Smooth);
    const std::vector<uint8_t> unknown = EncodeJpeg(image);
    for (uint32_t dpi : {96u, 144u, kMaxDpi}) {
        const DecodedJpeg d = Decode(EncodeJpeg(image, dpi));
        EXPECT_TRUE(d.header.saw_JFIF_marker);
        EXPECT_EQ(d.header.density_unit, 1) << "dots per inch";
        EXPECT_EQ(d.header.X_density, dpi);
        EXPECT_EQ(d.header.Y_density, dpi);
        EXPECT_EQ(d.rgb, Decode(unknown).rgb) << dpi;
    }
    EXPECT_EQ(EncodeJpeg(image, kUnknownDpi), unknown);
    EXPECT_THROW(EncodeJpeg(image, kMaxDpi + 1), std::invalid_argument);
}

TEST(JpegWriter, EveryDepthDecodesCloseToTheSource) {
    // Odd widths exercise row padding, heights of 1 single-row files; a swap of red and blue or of
    // top and bottom drops the PSNR far below the bound.
    for (int depth : {32, 24, 16, 8, 4, 1}) {
        for (auto [width, height] : {std::pair{1, 1}, std::pair{3, 1}, std::pair{17, 1}, std::pair{33, 9},
                                     std::pair{101, 37}, std::pair{250, 3}}) {
            SCOPED_TRACE(std::to_string(depth) + " bpp, " + std::to_string(width) + " x " + std::to_string(height));
            PixelImage image;
            if (depth > 8) {
                image = MakeTrueColourImage(width, height, depth, Smooth);
            } else {
                // A ramp of tinted greys, up and down again; 1 bit: squares on the block grid.
                const unsigned entries = 1u << depth;
                std::vector<uint32_t> palette;
                for (uint32_t i = 0; i < entries; ++i) {
                    const uint32_t level = i * 255 / (entries - 1);
                    palette.push_back((level << 16) | (level << 8) | (level * 3 / 4));
                }
                image = MakeIndexedImage(width, height, depth, palette, [&](int x, int y) {
                    if (depth == 1) return static_cast<unsigned>((x / 8 + y / 8) % 2);
                    const unsigned step = static_cast<unsigned>(x + 2 * y) % (2 * entries - 2);
                    return step < entries ? step : 2 * entries - 2 - step;
                });
            }
            const DecodedJpeg d = Decode(EncodeJpeg(image));
            ASSERT_EQ(d.header.image_width, static_cast<JDIMENSION>(width));
            ASSERT_EQ(d.header.image_height, static_cast<JDIMENSION>(height));
            EXPECT_GT(Psnr(image, d), 32.0);
        }
    }
}

// Colours without any order, the worst case for rounding differences between colour converters.
Rgb Noise(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return {static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), static_cast<uint8_t>(h >> 16)};
}

TEST(JpegWriter, FileIsWhatCjpegMakesWithFloatDctAtQuality92) {
    // 32 and 24-bit rows reach the library in their blue-green-red layouts, the others as red,
    // green, blue; the file must be the same as from red-green-blue rows either way. Widths on both
    // sides of the vector lengths the library's colour conversion works in, single rows included.
    for (int depth : {32, 24, 16}) {
        for (auto [width, height] : {std::pair{53, 29}, std::pair{1, 1}, std::pair{7, 1}, std::pair{15, 2},
                                     std::pair{16, 17}, std::pair{17, 16}, std::pair{33, 3}, std::pair{129, 5}}) {
            SCOPED_TRACE(std::to_string(depth) + " bpp, " + std::to_string(width) + " x " + std::to_string(height));
            for (const auto& colour : {std::function<Rgb(int, int)>(Smooth), std::function<Rgb(int, int)>(Noise)}) {
                const PixelImage image = MakeTrueColourImage(width, height, depth, colour, 0x99, 0xFF);
                EXPECT_EQ(EncodeJpeg(image), CjpegFloat92(image));
            }
        }
    }
}

TEST(JpegWriter, SameColoursAtAnyDepthGiveTheSameFile) {
    // Colours that 16 bits hold exactly once widened, so every depth describes the same picture;
    // padding, unused bytes and bit 15 must not matter.
    const auto colour = [](int x, int y) {
        auto level = [](int v) { return static_cast<uint8_t>(((v & 31) << 3) | ((v & 31) >> 2)); };
        return Rgb{level(x / 3 * 2), level(y * 2), level(x / 3 + y)};
    };
    const std::vector<uint8_t> at32 = EncodeJpeg(MakeTrueColourImage(45, 15, 32, colour, 0x99, 0xFF));
    EXPECT_EQ(EncodeJpeg(MakeTrueColourImage(45, 15, 24, colour, 0x99)), at32);
    EXPECT_EQ(EncodeJpeg(MakeTrueColourImage(45, 15, 16, colour, 0x99, 1)), at32);

    std::vector<Rgb> seen; // the same picture through a palette
    PixelImage indexed = MakeIndexedImage(45, 15, 8, {0}, [](int, int) { return 0u; });
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 45; ++x) {
            auto it = std::find(seen.begin(), seen.end(), colour(x, y));
            if (it == seen.end()) it = seen.insert(seen.end(), colour(x, y));
            indexed.bits[test::TopRowOffset(indexed, y) + x] = static_cast<uint8_t>(it - seen.begin());
        }
    }
    ASSERT_LE(seen.size(), 256u);
    indexed.palette.clear();
    for (const Rgb& c : seen)
        indexed.palette.push_back((uint32_t{c.r} << 16) | (c.g << 8u) | c.b);
    EXPECT_EQ(EncodeJpeg(indexed), at32);
}

TEST(JpegWriter, EmptyImageGivesNoBytesAndInconsistentOnesAreRefused) {
    for (auto [width, height] : {std::pair{0, 0}, std::pair{0, 7}, std::pair{7, 0}}) {
        EXPECT_TRUE(EncodeJpeg(PixelImage{width, height, 32, {}, {}}).empty());
    }
    PixelImage shortRows = MakeTrueColourImage(9, 4, 24, Smooth);
    shortRows.bits.pop_back();
    EXPECT_THROW(EncodeJpeg(shortRows), std::invalid_argument);
    EXPECT_THROW(EncodeJpeg(PixelImage{9, 4, 12, std::vector<uint8_t>(4 * 20), {}}), std::invalid_argument);
    EXPECT_THROW(EncodeJpeg(PixelImage{9, 4, 8, std::vector<uint8_t>(4 * 12), {}}), std::invalid_argument);
    EXPECT_THROW(EncodeJpeg(PixelImage{-9, 4, 32, {}, {}}), std::invalid_argument);
}

TEST(JpegWriter, LibraryErrorsCarryTheMessageCode) {
    // Sides beyond the library's limit of 65500 pixels; 1-bit images keep the buffers small. The
    // address sanitizer build reports anything these failures leave allocated.
    for (auto [width, height] : {std::pair{65501, 1}, std::pair{1, 65501}, std::pair{70000, 2}}) {
        const PixelImage image = MakeIndexedImage(width, height, 1, {0, 0xFFFFFF}, [](int x, int) { return x & 1u; });
        try {
            EncodeJpeg(image);
            ADD_FAILURE() << width << " x " << height << " was encoded";
        } catch (const JpegError& e) {
            EXPECT_EQ(e.code(), JERR_IMAGE_TOO_BIG);
            EXPECT_NE(std::string(e.what()).find("#" + std::to_string(JERR_IMAGE_TOO_BIG)), std::string::npos);
            EXPECT_NE(std::string(e.what()).find("65500"), std::string::npos) << e.what();
        }
    }
    // The limit itself is fine, and the encoder works as before after a failure.
    const PixelImage widest = MakeIndexedImage(65500, 1, 1, {0, 0xFFFFFF}, [](int x, int) { return x & 1u; });
    EXPECT_EQ(Decode(EncodeJpeg(widest)).header.image_width, 65500u);
}

} // namespace
} // namespace kelpix::core
