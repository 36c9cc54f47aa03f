// Encodes small images of every depth as PNG, now and then one wider than libpng allows, decodes
// the result with libpng and compares every pixel.
#include <vector>

#include <png.h>

#include "core/dib_rows.h"
#include "core/png_writer.h"
#include "encoder_input.h"

using kelpix::fuzz::Check;

namespace {

constexpr int32_t kWidestRow = 1000000; // libpng's limit

// The image's pixels as red, green, blue from the top row down.
std::vector<uint8_t> ExpectedRgb(const kelpix::core::PixelImage& image) {
    const size_t rowBytes = static_cast<size_t>(image.width) * 3;
    const size_t stride = static_cast<size_t>(kelpix::core::DibRowStride(image.width, image.bitsPerPixel));
    const auto palette = kelpix::core::PaletteRgb(image);
    const auto convert = kelpix::core::RgbRowConverter(image.bitsPerPixel);
    std::vector<uint8_t> rgb(rowBytes * static_cast<size_t>(image.height));
    for (int32_t y = 0; y < image.height; ++y) {
        convert(image.bits.data() + static_cast<size_t>(image.height - 1 - y) * stride, rgb.data() + y * rowBytes,
                static_cast<uint32_t>(image.width), palette.data());
    }
    return rgb;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    kelpix::core::PixelImage image;
    std::vector<uint8_t> file;
    if (!kelpix::fuzz::EncodeFuzzedImage<kelpix::core::PngError>(
            input, kWidestRow, 4, true, [](const kelpix::core::PixelImage& i) { return kelpix::core::EncodePng(i); },
            [](const kelpix::core::PngError&) { return true; }, image, file))
        return 0;

    png_image decoded{};
    decoded.version = PNG_IMAGE_VERSION;
    Check(png_image_begin_read_from_memory(&decoded, file.data(), file.size()) != 0, "the file does not decode");
    Check(decoded.width == static_cast<png_uint_32>(image.width) &&
              decoded.height == static_cast<png_uint_32>(image.height),
          "the file has the wrong size");
    decoded.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(decoded));
    Check(png_image_finish_read(&decoded, nullptr, rgb.data(), 0, nullptr) != 0, "the pixels do not decode");
    Check(rgb == ExpectedRgb(image), "the decoded pixels differ from the image's");
    return 0;
}
