// Baseline JPEG files through libjpeg: YCbCr with 2 x 2 luminance and 1 x 1 chrominance sampling,
// quality 92 (forced baseline), floating-point DCT, standard Huffman tables, a JFIF marker with the
// monitor's DPI as the density in dots per inch when it is known, else density unit 0 and density
// 1 x 1; everything else is the library's default.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/pixel_image.h"
#include "core/resolution.h"

namespace kelpix::core {

constexpr int kJpegQuality = 92;

// A fatal error reported by libjpeg while encoding. code() is the library's message code (the
// J_MESSAGE_CODE of jerror.h), what() includes the library's message text.
class JpegError : public std::runtime_error {
public:
    JpegError(int code, const std::string& libraryMessage);
    int code() const noexcept { return code_; }

private:
    int code_;
};

// The complete JPEG file for `image` in memory, encoded from the top row down; no bytes at all for
// an empty image. Colours are taken as the image shows them (16-bit pixels widened to 8 bits per
// channel by repeating their top bits; palette indices without an entry are black). `dpi` is the
// DPI of the monitor the window was captured on (see core/resolution.h); with kUnknownDpi the file
// is exactly what it always was.
// Throws std::invalid_argument when the image is inconsistent (see CheckImage) or the DPI is above
// kMaxDpi, and JpegError when libjpeg gives up (for instance on a side longer than 65500 pixels).
// Nothing is leaked either way.
std::vector<uint8_t> EncodeJpeg(const PixelImage& image, uint32_t dpi = kUnknownDpi);

} // namespace kelpix::core
