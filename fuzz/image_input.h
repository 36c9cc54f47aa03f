// Builds a small PixelImage from fuzzer bytes: mostly consistent ones, sometimes with a wrong
// depth, palette or pixel buffer size, so that the encoders' refusals are exercised as well.
#pragma once

#include <cstdint>
#include <vector>
#include <fuzzer/FuzzedDataProvider.h>

#include "core/pixel_image.h"

namespace kelpix::fuzz {

inline core::PixelImage MakeImage(FuzzedDataProvider& input, int maxWidth, int maxHeight) {
    static constexpr int32_t kDepths[] = {1, 4, 8, 16, 24, 32};
    core::PixelImage image;
    image.width = input.ConsumeIntegralInRange<int32_t>(0, maxWidth);
    image.height = input.ConsumeIntegralInRange<int32_t>(0, maxHeight);
    image.bitsPerPixel = input.PickValueInArray(kDepths);

    const uint8_t damage = input.ConsumeIntegral<uint8_t>();
    const bool wrongDepth = damage == 1, wrongPalette = damage == 2, wrongSize = damage == 3, negative = damage == 4;

    if (wrongDepth) image.bitsPerPixel = input.ConsumeIntegralInRange<int32_t>(-2, 40);
    size_t paletteEntries = 0;
    if (image.bitsPerPixel >= 1 && image.bitsPerPixel <= 8) {
        paletteEntries = input.ConsumeIntegralInRange<size_t>(1, size_t{1} << image.bitsPerPixel);
    }
    if (wrongPalette) paletteEntries = input.ConsumeIntegralInRange<size_t>(0, 300);
    for (size_t i = 0; i < paletteEntries; ++i)
        image.palette.push_back(input.ConsumeIntegral<uint32_t>());

    uint64_t bytes = core::IsSupportedDepth(image.bitsPerPixel) ? core::DibImageSize(image) : 64;
    if (wrongSize) bytes = input.ConsumeIntegralInRange<uint64_t>(0, bytes + 8);
    image.bits.resize(static_cast<size_t>(bytes));
    const std::vector<uint8_t> pixels = input.ConsumeRemainingBytes<uint8_t>();
    for (size_t i = 0; i < image.bits.size() && !pixels.empty(); ++i)
        image.bits[i] = pixels[i % pixels.size()];

    if (negative) image.width = -1 - image.width;
    return image;
}

} // namespace kelpix::fuzz
