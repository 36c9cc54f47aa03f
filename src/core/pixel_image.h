// A captured image as a device-independent bitmap, laid out exactly as GetDIBits returns it for a
// BITMAPINFOHEADER with positive height and BI_RGB compression:
//
//   bitsPerPixel 32: blue, green, red, one unused byte per pixel
//   bitsPerPixel 24: blue, green, red per pixel
//   bitsPerPixel 16: one little-endian 16-bit word per pixel, 5-5-5 (bit 15 unused, red in 14-10,
//                    green in 9-5, blue in 4-0)
//   bitsPerPixel 8, 4, 1: palette indices, the leftmost pixel in the most significant bits
//
// Rows are stored bottom row first, each padded with zero or more bytes to a multiple of 4 bytes
// (DibRowStride). The palette holds the colour table for 8 bits per pixel or less: each entry is
// an RGBQUAD read as a 32-bit number, 0x00RRGGBB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelpix::core {

struct PixelImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 32;     // 1, 4, 8, 16, 24 or 32
    std::vector<uint8_t> bits;     // height rows of DibRowStride(width, bitsPerPixel) bytes, bottom row first
    std::vector<uint32_t> palette; // 1 to 2^bitsPerPixel entries at 8 bits or less, else none
};

// True when the image has no pixels (0 wide or 0 high); such an image is saved as an empty file.
inline bool IsEmpty(const PixelImage& image) {
    return image.width == 0 || image.height == 0;
}

// Bytes per stored row: width x bitsPerPixel bits rounded up to a multiple of 4 bytes.
uint64_t DibRowStride(int64_t width, int32_t bitsPerPixel);

// Bytes of pixel data the image must hold: DibRowStride x height.
uint64_t DibImageSize(const PixelImage& image);

// True for the depths a PixelImage can have.
bool IsSupportedDepth(int32_t bitsPerPixel);

// A description of what is wrong with `image`, or std::nullopt when it is consistent. An empty
// image is consistent whatever its depth, pixel data and palette say, as long as neither size is
// negative.
std::optional<std::string> CheckImage(const PixelImage& image);

} // namespace kelpix::core
