// The part the JPEG and PNG fuzzers share: a small image from the fuzzer's bytes, now and then a
// one-bit image on either side of the library's widest row, encoded, with the checks every encoder
// must pass. The fuzzer itself then decodes the file.
#pragma once

#include <stdexcept>

#include "check.h"
#include "image_input.h"

namespace kelpix::fuzz {

// The encoder must refuse exactly the inconsistent images, and the library (throwing a LibraryError
// that `beyondLimit` accepts) just the images wider than `widest`; the wide images tried are
// `spread` widths around it, of one row when `oneRow`. True when `file` is there to decode.
template <class LibraryError, class Encode, class BeyondLimit>
bool EncodeFuzzedImage(FuzzedDataProvider& input, int32_t widest, int32_t spread, bool oneRow, Encode encode,
                       BeyondLimit beyondLimit, core::PixelImage& image, std::vector<uint8_t>& file) {
    const bool tooWide = input.ConsumeIntegral<uint8_t>() == 0xFF;
    image = MakeImage(input, 48, 24);
    if (tooWide && image.height > 0 && image.bitsPerPixel == 1 && !core::CheckImage(image)) {
        image.width = widest - spread / 2 + image.width % spread; // both sides of the limit
        if (oneRow) image.height = 1;
        image.bits.assign(static_cast<size_t>(core::DibImageSize(image)), 0x5A);
    }
    const bool consistent = !core::CheckImage(image).has_value();
    try {
        file = encode(image);
    } catch (const std::invalid_argument&) {
        Check(!consistent, "a consistent image was refused");
        return false;
    } catch (const LibraryError& e) {
        Check(consistent && image.width > widest && beyondLimit(e), "unexpected library error");
        return false;
    }
    Check(consistent, "an inconsistent image was encoded");
    Check(image.width <= widest, "an image beyond the library's limit was encoded");
    if (core::IsEmpty(image)) Check(file.empty(), "an empty image gave bytes");
    return !core::IsEmpty(image);
}

} // namespace kelpix::fuzz
