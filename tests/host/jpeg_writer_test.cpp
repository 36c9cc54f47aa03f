#include "core/jpeg_writer.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include <gtest/gtest.h>

#include "test_images.h"

namespace kelpix::core {
namespace {

using test::MakeIndexedImage;
using test::MakeTrueColourImage;
using test::ReadPixel;
using test::Rgb;

// What a decoder sees in the file.
struct DecodedJpeg {
    bool ok = false;
    char error[JMSG_LENGTH_MAX] = {};
    JDIMENSION width = 0, height = 0;
    int components = 0;
    J_COLOR_SPACE colourSpace = JCS_UNKNOWN;
    bool progressive = false, arithmetic = false, jfif = false;
    int densityUnit = -1, xDensity = -1, yDensity = -1;
    int hSampling[3] = {}, vSampling[3] = {}, quantTable[3] = {};
    unsigned restartInterval = 0;
    UINT16 quant[2][DCTSIZE2] = {};
    std::vector<uint8_t> rgb; // top row first
};

struct TestErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char* message;
};

void TestErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TestErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

struct Decoder {
    jpeg_decompress_struct cinfo;
    TestErrorManager err;
};

// Decodes with libjpeg. Everything it changes lives in the caller's frame, so a jump skips nothing.
void DecodeInto(const std::vector<uint8_t>* file, DecodedJpeg* out, Decoder* decoder) {
    jpeg_decompress_struct& cinfo = decoder->cinfo;
    TestErrorManager& err = decoder->err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = TestErrorExit;
    err.message = out->error;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file->data(), static_cast<unsigned long>(file->size()));
    jpeg_read_header(&cinfo, TRUE);
    out->width = cinfo.image_width;
    out->height = cinfo.image_height;
    out->components = cinfo.num_components;
    out->colourSpace = cinfo.jpeg_color_space;
    out->progressive = cinfo.progressive_mode;
    out->arithmetic = cinfo.arith_code;
    out->jfif = cinfo.saw_JFIF_marker;
    out->densityUnit = cinfo.density_unit;
    out->xDensity = cinfo.X_density;
    out->yDensity = cinfo.Y_density;
    out->restartInterval = cinfo.restart_interval;
    for (int c = 0; c < cinfo.num_components && c < 3; ++c) {
        out->hSampling[c] = cinfo.comp_info[c].h_samp_factor;
        out->vSampling[c] = cinfo.comp_info[c].v_samp_factor;
        out->quantTable[c] = cinfo.comp_info[c].quant_tbl_no;
    }
    for (int t = 0; t < 2; ++t) {
        if (cinfo.quant_tbl_ptrs[t] != nullptr) {
            std::memcpy(out->quant[t], cinfo.quant_tbl_ptrs[t]->quantval, sizeof out->quant[t]);
        }
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out->rgb.resize(static_cast<size_t>(cinfo.output_width) * cinfo.output_height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->rgb.data() + static_cast<size_t>(cinfo.output_scanline) * cinfo.output_width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    out->ok = true;
}

DecodedJpeg Decode(const std::vector<uint8_t>& file) {
    DecodedJpeg out;
    Decoder decoder{};
    DecodeInto(&file, &out, &decoder);
    EXPECT_TRUE(out.ok) << out.error;
    return out;
}

// The quantisation tables a compressor sets up for a quality, to compare with the file's.
void ReferenceQuantTables(int quality, UINT16 (*tables)[DCTSIZE2]) {
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
    jpeg_destroy_compress(&cinfo);
}

// The marker codes of the file's segments, in order, up to the start of the scan.
std::vector<int> MarkersBeforeScan(const std::vector<uint8_t>& file) {
    std::vector<int> markers;
    size_t at = 2; // after SOI
    while (at + 4 <= file.size() && file[at] == 0xFF) {
        const int marker = file[at + 1];
        markers.push_back(marker);
        if (marker == 0xDA) break;
        at += 2 + ((file[at + 2] << 8u) | file[at + 3]);
    }
    return markers;
}

Rgb DecodedPixel(const DecodedJpeg& d, int x, int y) {
    const uint8_t* p = d.rgb.data() + (static_cast<size_t>(y) * d.width + x) * 3;
    return {p[0], p[1], p[2]};
}

double Psnr(const PixelImage& source, const DecodedJpeg& d) {
    double squared = 0;
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            const Rgb a = ReadPixel(source, x, y), b = DecodedPixel(d, x, y);
            for (auto [p, q] : {std::pair{a.r, b.r}, std::pair{a.g, b.g}, std::pair{a.b, b.b}}) {
                squared += (double(p) - q) * (double(p) - q);
            }
        }
    }
    const double mse = squared / (3.0 * source.width * source.height);
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

PixelImage ScreenLike(int width, int height, int depth) {
    return MakeTrueColourImage(width, height, depth,
                               [&](int x, int y) { return test::ScreenLikeColour(x, y, width, height); });
}

TEST(JpegWriter, FileIsBaselineYCbCrAtQuality92WithDefaultJfif) {
    const PixelImage image = ScreenLike(67, 35, 32);
    const std::vector<uint8_t> file = EncodeJpeg(image);
    ASSERT_GE(file.size(), 4u);
    EXPECT_EQ(file[0], 0xFF);
    EXPECT_EQ(file[1], 0xD8);
    EXPECT_EQ(file[file.size() - 2], 0xFF);
    EXPECT_EQ(file[file.size() - 1], 0xD9);

    const DecodedJpeg d = Decode(file);
    EXPECT_EQ(d.width, 67u);
    EXPECT_EQ(d.height, 35u);
    EXPECT_EQ(d.components, 3);
    EXPECT_EQ(d.colourSpace, JCS_YCbCr);
    EXPECT_FALSE(d.progressive);
    EXPECT_FALSE(d.arithmetic);
    EXPECT_EQ(d.restartInterval, 0u);
    EXPECT_TRUE(d.jfif);
    EXPECT_EQ(d.densityUnit, 0);
    EXPECT_EQ(d.xDensity, 1);
    EXPECT_EQ(d.yDensity, 1);
    EXPECT_EQ(d.hSampling[0], 2);
    EXPECT_EQ(d.vSampling[0], 2);
    for (int c : {1, 2}) {
        EXPECT_EQ(d.hSampling[c], 1);
        EXPECT_EQ(d.vSampling[c], 1);
    }

    // Exactly one frame, a baseline one (SOF0), no restart markers, and all tables before the scan.
    const std::vector<int> markers = MarkersBeforeScan(file);
    ASSERT_FALSE(markers.empty());
    EXPECT_EQ(markers.front(), 0xE0); // JFIF APP0 first
    EXPECT_EQ(markers.back(), 0xDA);
    int frames = 0;
    for (int m : markers) {
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            ++frames;
            EXPECT_EQ(m, 0xC0) << std::hex << m;
        }
        EXPECT_NE(m, 0xDD) << "restart interval";
    }
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xC4), 4) << "DC and AC tables for luma and chroma";

    UINT16 at92[2][DCTSIZE2], at75[2][DCTSIZE2];
    ReferenceQuantTables(92, at92);
    ReferenceQuantTables(75, at75);
    EXPECT_EQ(d.quantTable[0], 0);
    EXPECT_EQ(d.quantTable[1], 1);
    EXPECT_EQ(d.quantTable[2], 1);
    for (int t = 0; t < 2; ++t) {
        EXPECT_EQ(std::memcmp(d.quant[t], at92[t], sizeof at92[t]), 0) << "table " << t;
        EXPECT_NE(std::memcmp(d.quant[t], at75[t], sizeof at75[t]), 0) << "table " << t;
        for (UINT16 q : d.quant[t])
            EXPECT_LE(q, 255) << "baseline tables are 8-bit";
    }
}

TEST(JpegWriter, TopRowComesFirstAndRedStaysRed) {
    // Top half red, bottom half blue, a green column on the left: a swap of red and blue or of top
    // and bottom shows in every corner.
    for (int depth : {32, 24, 16}) {
        const PixelImage image = MakeTrueColourImage(48, 32, depth, [](int x, int y) {
            if (x < 8) return Rgb{0, 255, 0};
            return y < 16 ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
        });
        const DecodedJpeg d = Decode(EncodeJpeg(image));
        const Rgb top = DecodedPixel(d, 40, 4), bottom = DecodedPixel(d, 40, 28), left = DecodedPixel(d, 2, 16);
        EXPECT_GT(top.r, 230) << depth;
        EXPECT_LT(top.b, 25) << depth;
        EXPECT_GT(bottom.b, 230) << depth;
        EXPECT_LT(bottom.r, 25) << depth;
        EXPECT_GT(left.g, 230) << depth;
        EXPECT_LT(left.r, 25) << depth;
    }
}

// Smooth colours, as photos and gradients in a capture have them.
Rgb Smooth(int x, int y) {
    auto wave = [](double centre, double amplitude, double phase) {
        return static_cast<uint8_t>(std::lround(centre + amplitude * std::sin(phase)));
    };
    return {wave(128, 100, x / 7.0), wave(128, 100, y / 5.0 + 1), wave(120, 60, (x + y) / 9.0)};
}

TEST(JpegWriter, EveryDepthDecodesCloseToTheSource) {
    // Odd widths exercise row padding; heights of 1 are single-row files.
    for (int depth : {32, 24, 16, 8, 4, 1}) {
        for (auto [width, height] : {std::pair{1, 1}, std::pair{3, 1}, std::pair{17, 1}, std::pair{33, 9},
                                     std::pair{101, 37}, std::pair{250, 3}}) {
            SCOPED_TRACE(std::to_string(depth) + " bpp, " + std::to_string(width) + " x " + std::to_string(height));
            PixelImage image;
            if (depth > 8) {
                image = MakeTrueColourImage(width, height, depth, Smooth);
            } else {
                // A ramp of tinted greys; 1-bit images get black and white squares on the block grid.
                const unsigned entries = 1u << depth;
                std::vector<uint32_t> palette;
                for (unsigned i = 0; i < entries; ++i) {
                    const uint32_t level = i * 255 / (entries - 1);
                    palette.push_back((level << 16) | (level << 8) | (level * 3 / 4));
                }
                image = MakeIndexedImage(width, height, depth, palette, [&](int x, int y) {
                    if (depth == 1) return static_cast<unsigned>((x / 8 + y / 8) % 2);
                    // Up the ramp and down again.
                    const unsigned step = static_cast<unsigned>(x + 2 * y) % (2 * entries - 2);
                    return step < entries ? step : 2 * entries - 2 - step;
                });
            }
            const DecodedJpeg d = Decode(EncodeJpeg(image));
            ASSERT_EQ(d.width, static_cast<JDIMENSION>(width));
            ASSERT_EQ(d.height, static_cast<JDIMENSION>(height));
            EXPECT_GT(Psnr(image, d), 32.0);
        }
    }
}

TEST(JpegWriter, ScreenContentKeepsItsDetail) {
    for (int depth : {32, 24}) {
        const PixelImage image = ScreenLike(320, 200, depth);
        const std::vector<uint8_t> file = EncodeJpeg(image);
        EXPECT_GT(Psnr(image, Decode(file)), 32.0) << depth;
        EXPECT_LT(file.size(), image.bits.size() / 3) << depth;
    }
}

TEST(JpegWriter, SameColoursAtAnyDepthGiveTheSameFile) {
    // Colours that 16 bits hold exactly once widened, so every depth describes the same picture.
    const auto colour = [](int x, int y) {
        auto level = [](int v) { return static_cast<uint8_t>(((v & 31) << 3) | ((v & 31) >> 2)); };
        return Rgb{level(x / 3 * 2), level(y * 2), level(x / 3 + y)};
    };
    const std::vector<uint8_t> at32 = EncodeJpeg(MakeTrueColourImage(45, 15, 32, colour, 0x99, 0xFF));
    EXPECT_EQ(EncodeJpeg(MakeTrueColourImage(45, 15, 24, colour, 0x99)), at32);
    EXPECT_EQ(EncodeJpeg(MakeTrueColourImage(45, 15, 16, colour, 0x99, 1)), at32);

    // The same picture through a palette.
    std::vector<uint32_t> palette;
    std::vector<Rgb> seen;
    PixelImage indexed = MakeIndexedImage(45, 15, 8, {0}, [](int, int) { return 0u; });
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 45; ++x) {
            const Rgb c = colour(x, y);
            auto it = std::find(seen.begin(), seen.end(), c);
            if (it == seen.end()) it = seen.insert(seen.end(), c);
            indexed.bits[test::TopRowOffset(indexed, y) + x] = static_cast<uint8_t>(it - seen.begin());
        }
    }
    ASSERT_LE(seen.size(), 256u);
    indexed.palette.clear();
    for (const Rgb& c : seen)
        indexed.palette.push_back((uint32_t{c.r} << 16) | (c.g << 8u) | c.b);
    EXPECT_EQ(EncodeJpeg(indexed), at32);
}

TEST(JpegWriter, EmptyImageGivesNoBytes) {
    for (int depth : {32, 24, 16, 8}) {
        for (auto [width, height] : {std::pair{0, 0}, std::pair{0, 7}, std::pair{7, 0}}) {
            PixelImage image;
            image.width = width;
            image.height = height;
            image.bitsPerPixel = depth;
            EXPECT_TRUE(EncodeJpeg(image).empty());
        }
    }
}

TEST(JpegWriter, InconsistentImagesAreRefusedBeforeEncoding) {
    PixelImage image = ScreenLike(9, 4, 24);
    image.bits.pop_back();
    EXPECT_THROW(EncodeJpeg(image), std::invalid_argument);
    image = ScreenLike(9, 4, 24);
    image.bitsPerPixel = 12;
    EXPECT_THROW(EncodeJpeg(image), std::invalid_argument);
    image = MakeIndexedImage(9, 4, 8, {0x112233}, [](int, int) { return 0u; });
    image.palette.clear();
    EXPECT_THROW(EncodeJpeg(image), std::invalid_argument);
    image.width = -9;
    EXPECT_THROW(EncodeJpeg(image), std::invalid_argument);
}

TEST(JpegWriter, LibraryErrorsCarryTheMessageCode) {
    // Sides beyond the library's limit of 65500 pixels; 1-bit images keep the buffers small.
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
    // The encoder is still usable afterwards, and the limit itself is fine.
    const PixelImage widest = MakeIndexedImage(65500, 1, 1, {0, 0xFFFFFF}, [](int x, int) { return x & 1u; });
    EXPECT_EQ(Decode(EncodeJpeg(widest)).width, 65500u);
}

} // namespace
} // namespace kelpix::core
