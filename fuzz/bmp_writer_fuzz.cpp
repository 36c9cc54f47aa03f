// Encodes small images of every depth as BMP and reads the file back field by field.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "check.h"
#include "core/bmp_writer.h"
#include "image_input.h"

using kelpix::fuzz::Check;

namespace {

uint32_t Read32(const std::vector<uint8_t>& f, size_t at) {
    return f[at] | (f[at + 1] << 8u) | (f[at + 2] << 16u) | (static_cast<uint32_t>(f[at + 3]) << 24u);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const kelpix::core::PixelImage image = kelpix::fuzz::MakeImage(input, 70, 12);
    const bool consistent = !kelpix::core::CheckImage(image).has_value();

    std::vector<uint8_t> file;
    try {
        file = kelpix::core::EncodeBmp(image);
    } catch (const std::invalid_argument&) {
        Check(!consistent, "a consistent image was refused");
        return 0;
    }
    Check(consistent, "an inconsistent image was encoded");
    if (kelpix::core::IsEmpty(image)) {
        Check(file.empty(), "an empty image gave bytes");
        return 0;
    }

    const size_t table = image.bitsPerPixel <= 8 ? 4 * image.palette.size() : 0;
    Check(file.size() == 54 + table + image.bits.size(), "wrong file length");
    Check(file[0] == 'B' && file[1] == 'M', "no BM signature");
    Check(Read32(file, 2) == file.size(), "wrong file size field");
    Check(Read32(file, 10) == 54 + table, "wrong pixel offset");
    Check(Read32(file, 18) == static_cast<uint32_t>(image.width), "wrong width");
    Check(Read32(file, 22) == static_cast<uint32_t>(image.height), "wrong height");
    Check((Read32(file, 26) & 0xFFFF) == 1 && (Read32(file, 26) >> 16) == static_cast<uint32_t>(image.bitsPerPixel),
          "wrong planes or depth");
    Check(Read32(file, 34) == image.bits.size(), "wrong image size");
    Check(Read32(file, 46) == (image.bitsPerPixel <= 8 ? image.palette.size() : 0), "wrong colour count");
    for (size_t i = 0; i < table / 4; ++i) {
        Check((Read32(file, 54 + 4 * i) & 0xFFFFFF) == (image.palette[i] & 0xFFFFFF) && file[54 + 4 * i + 3] == 0,
              "wrong colour table entry");
    }
    Check(std::equal(image.bits.begin(), image.bits.end(), file.begin() + 54 + static_cast<ptrdiff_t>(table)),
          "pixel rows changed");
    return 0;
}
