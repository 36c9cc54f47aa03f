// The files the encoders write, read back by ImageMagick, a decoder that shares nothing with them,
// and PNG files checked by libpng's pngfix as well.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "core/bmp_writer.h"
#include "core/jpeg_writer.h"
#include "core/png_writer.h"
#include "test_images.h"

namespace kelpix::core {
namespace {

using test::MakeIndexedImage;
using test::MakeTrueColourImage;
using test::ReadPixel;
using test::Rgb;

class ImageMagick : public testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v convert >/dev/null 2>&1 && command -v identify >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "ImageMagick is not installed";
        folder_ = std::filesystem::temp_directory_path() / ("kelpix_decoder_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }

    std::filesystem::path Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // What a command prints on its standard output.
    static std::string Output(const std::string& command) {
        std::string out;
        if (std::FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
                out.append(buffer, got);
            pclose(pipe);
        }
        return out;
    }

    // The picture ImageMagick reads: 8-bit red, green, blue from the top row down.
    static std::string DecodedRgb(const std::filesystem::path& file) {
        return Output("convert '" + file.string() + "' -depth 8 rgb:-");
    }

    static std::string SourceRgb(const PixelImage& image) {
        std::string rgb;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const Rgb c = ReadPixel(image, x, y);
                rgb += {static_cast<char>(c.r), static_cast<char>(c.g), static_cast<char>(c.b)};
            }
        }
        return rgb;
    }

    std::filesystem::path folder_;
};

Rgb Varied(int x, int y) {
    return {static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(255 - x * 13),
            static_cast<uint8_t>(y * 71 + 5)};
}

Rgb Smooth(int x, int y) {
    auto wave = [](double phase) { return static_cast<uint8_t>(std::lround(128 + 90 * std::sin(phase))); };
    return {wave(x / 7.0), wave(y / 5.0 + 1), wave((x + y) / 9.0)};
}

TEST_F(ImageMagick, BmpOfEveryDepthReadsAsExactlyTheSourcePixels) {
    for (int depth : {32, 24, 16, 8, 4, 1}) {
        // Odd widths end their rows in padding; single rows and columns are images too.
        for (auto [width, height] :
             {std::pair{1, 1}, std::pair{3, 1}, std::pair{1, 4}, std::pair{7, 2}, std::pair{33, 5}}) {
            SCOPED_TRACE(std::to_string(depth) + " bpp, " + std::to_string(width) + " x " + std::to_string(height));
            PixelImage image;
            if (depth > 8) {
                image = MakeTrueColourImage(width, height, depth, Varied, 0xA5, 0x5A);
            } else {
                std::vector<uint32_t> palette;
                for (uint32_t i = 0; i < (1u << depth); ++i)
                    palette.push_back((0x2F1D0B * (i + 1)) & 0xFFFFFF);
                image = MakeIndexedImage(
                    width, height, depth, palette, [&](int x, int y) { return (x * 3 + y * 5) % (1u << depth); }, 0xA5);
            }
            const std::filesystem::path file = Write("image.bmp", EncodeBmp(image));
            EXPECT_EQ(DecodedRgb(file), SourceRgb(image));
        }
    }
}

TEST_F(ImageMagick, JpegIsBaselineAtQuality92AndCloseToTheSource) {
    for (auto [width, height] : {std::pair{1, 1}, std::pair{5, 1}, std::pair{67, 35}, std::pair{250, 1}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const PixelImage image = MakeTrueColourImage(width, height, 32, Smooth, 0x99, 0xFF);
        const std::filesystem::path file = Write("image.jpg", EncodeJpeg(image));
        EXPECT_EQ(
            Output("identify -format '%m %w %h %Q %[jpeg:sampling-factor] %[interlace] %U' '" + file.string() + "'"),
            "JPEG " + std::to_string(width) + " " + std::to_string(height) + " 92 2x2,1x1,1x1 None Undefined");
        const std::string decoded = DecodedRgb(file), source = SourceRgb(image);
        ASSERT_EQ(decoded.size(), source.size());
        double squared = 0;
        for (size_t i = 0; i < source.size(); ++i)
            squared += std::pow(static_cast<uint8_t>(decoded[i]) - static_cast<uint8_t>(source[i]), 2);
        const double psnr = squared == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * source.size() / squared);
        EXPECT_GT(psnr, 35.0);
    }
}

TEST_F(ImageMagick, PngOfEveryDepthReadsAsExactlyTheSourcePixelsAndPassesPngfix) {
    for (int depth : {32, 24, 16, 8, 1}) {
        for (auto [width, height] : {std::pair{1, 1}, std::pair{3, 1}, std::pair{1, 4}, std::pair{67, 35}}) {
            SCOPED_TRACE(std::to_string(depth) + " bpp, " + std::to_string(width) + " x " + std::to_string(height));
            const PixelImage image = depth > 8
                                         ? MakeTrueColourImage(width, height, depth, Varied, 0xA5, 0x5A)
                                         : MakeIndexedImage(
                                               width, height, depth, {0x102030, 0xF0E0D0},
                                               [](int x, int y) { return static_cast<unsigned>(x + y) % 2; }, 0xA5);
            const std::filesystem::path file = Write("image.png", EncodePng(image));
            EXPECT_EQ(Output("identify -format '%m %w %h %z %[png:IHDR.color-type-orig]' '" + file.string() + "'"),
                      "PNG " + std::to_string(width) + " " + std::to_string(height) + " 8 2");
            EXPECT_EQ(DecodedRgb(file), SourceRgb(image));
            EXPECT_EQ(Output("pngfix '" + file.string() + "' 2>&1").substr(0, 8), "IDAT OK ");
        }
    }
}

} // namespace
} // namespace kelpix::core
