#include "core/bmp_writer.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace kelpix::core {

namespace {

constexpr uint32_t kCompressionRgb = 0; // BI_RGB

void Put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

} // namespace

std::optional<BmpHeaders> MakeBmpHeaders(const PixelImage& image, uint32_t dpi) {
    const bool hasColorTable = image.bitsPerPixel <= 8;
    const uint64_t colorTableSize = hasColorTable ? 4 * uint64_t{image.palette.size()} : 0;
    const uint64_t headerSize = kBmpInfoHeaderSize + colorTableSize;
    const uint64_t imageSize = DibImageSize(image);
    const uint64_t fileSize = kBmpFileHeaderSize + headerSize + imageSize;

    // The size limit comes first: pixel data of that size could not be held in the first place.
    if (image.width > 0 && image.height > 0 && IsSupportedDepth(image.bitsPerPixel) &&
        fileSize > std::numeric_limits<uint32_t>::max()) {
        throw std::invalid_argument("cannot write BMP: a " + std::to_string(image.width) + " x " +
                                    std::to_string(image.height) + " image at " + std::to_string(image.bitsPerPixel) +
                                    " bits per pixel is too large for the format");
    }
    if (auto problem = CheckImage(image)) throw std::invalid_argument("cannot write BMP: " + *problem);
    if (auto problem = CheckDpi(dpi)) throw std::invalid_argument("cannot write BMP: " + *problem);
    if (IsEmpty(image)) return std::nullopt;

    BmpHeaders headers;
    uint8_t* file = headers.fileHeader.data();
    file[0] = 'B';
    file[1] = 'M';
    Put32(file + 2, static_cast<uint32_t>(fileSize));
    Put16(file + 6, 0);
    Put16(file + 8, 0);
    Put32(file + 10, static_cast<uint32_t>(kBmpFileHeaderSize + headerSize));

    uint8_t* info = headers.infoHeader.data();
    Put32(info + 0, kBmpInfoHeaderSize);
    Put32(info + 4, static_cast<uint32_t>(image.width));
    Put32(info + 8, static_cast<uint32_t>(image.height));
    Put16(info + 12, 1); // planes
    Put16(info + 14, static_cast<uint32_t>(image.bitsPerPixel));
    Put32(info + 16, kCompressionRgb);
    Put32(info + 20, static_cast<uint32_t>(imageSize));
    const auto pixelsPerMetre = static_cast<uint32_t>(PixelsPerMetre(dpi));
    Put32(info + 24, pixelsPerMetre); // horizontal resolution
    Put32(info + 28, pixelsPerMetre); // vertical resolution
    Put32(info + 32, hasColorTable ? static_cast<uint32_t>(image.palette.size()) : 0);
    Put32(info + 36, 0); // important colours

    if (hasColorTable) {
        headers.colorTable.resize(static_cast<size_t>(colorTableSize));
        uint8_t* entry = headers.colorTable.data();
        for (uint32_t rgb : image.palette) {
            entry[0] = static_cast<uint8_t>(rgb);       // blue
            entry[1] = static_cast<uint8_t>(rgb >> 8);  // green
            entry[2] = static_cast<uint8_t>(rgb >> 16); // red
            entry[3] = 0;
            entry += 4;
        }
    }
    return headers;
}

std::vector<uint8_t> EncodeBmp(const PixelImage& image, uint32_t dpi) {
    std::optional<BmpHeaders> headers = MakeBmpHeaders(image, dpi);
    if (!headers) return {};

    const size_t total =
        headers->fileHeader.size() + headers->infoHeader.size() + headers->colorTable.size() + image.bits.size();
    // Filled completely below, so the buffer is not zeroed first.
    std::vector<uint8_t> file;
    file.reserve(total);
    file.insert(file.end(), headers->fileHeader.begin(), headers->fileHeader.end());
    file.insert(file.end(), headers->infoHeader.begin(), headers->infoHeader.end());
    file.insert(file.end(), headers->colorTable.begin(), headers->colorTable.end());
    file.insert(file.end(), image.bits.begin(), image.bits.end());
    return file;
}

} // namespace kelpix::core
