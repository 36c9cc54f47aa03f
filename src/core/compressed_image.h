// A capture kept in memory in little room and given back exactly: every byte of its rows (padding
// and the unused byte of 32-bit pixels included), its palette and its shape mask.
//
// Each row is stored as its byte-wise difference from the row before it, which turns the flat
// faces, repeated rows and horizontal gradients of a screen into runs of zeros, and the whole is
// deflated by zlib at level 1. A 3840 x 2160 desktop (bench/capture_store_bench.cpp) keeps about
// 7 % of its 33 MB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/pixel_image.h"
#include "core/shape_mask.h"

namespace kelpix::core {

constexpr int kKeptCaptureZlibLevel = 1;

class CompressedImage {
public:
    CompressedImage() = default; // an image of no pixels

    // Throws std::invalid_argument when the image is inconsistent (see CheckImage) or the mask does
    // not fit it (see CheckShapeMask), and std::bad_alloc when memory runs out.
    static CompressedImage Compress(const PixelImage& image, std::span<const uint8_t> shapeMask = {});

    // The image and mask exactly as they were given. Throws std::runtime_error should the kept data
    // be damaged, and std::bad_alloc when memory runs out.
    ShapedImage Restore() const;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    bool hasShapeMask() const { return hasShapeMask_; }

    // The memory the kept capture takes up: its deflated data and its palette.
    size_t bytes() const { return deflated_.size() + palette_.size() * sizeof(uint32_t); }

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t bitsPerPixel_ = 32;
    std::vector<uint32_t> palette_;
    bool hasShapeMask_ = false;
    std::vector<uint8_t> deflated_; // the rows' differences, then the mask, as one zlib stream
};

} // namespace kelpix::core
