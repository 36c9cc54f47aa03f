#include "core/resource_files.h"

#include <limits>
#include <stdexcept>

namespace kelpix::core {
namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kIconDirSize = 6;
constexpr uint32_t kIconDirEntrySize = 16;

class LittleEndian {
public:
    explicit LittleEndian(std::vector<uint8_t>& out) : out_(out) {}
    void u8(uint8_t value) { out_.push_back(value); }
    void u16(uint16_t value) {
        u8(static_cast<uint8_t>(value & 0xFF));
        u8(static_cast<uint8_t>(value >> 8));
    }
    void u32(uint32_t value) {
        u16(static_cast<uint16_t>(value & 0xFFFF));
        u16(static_cast<uint16_t>(value >> 16));
    }
    void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }
    void zeros(size_t count) { out_.insert(out_.end(), count, 0); }

private:
    std::vector<uint8_t>& out_;
};

uint32_t RowBytes(int32_t width, uint32_t bits_per_pixel) {
    return ((static_cast<uint32_t>(width) * bits_per_pixel + 31) / 32) * 4;
}

// BITMAPINFOHEADER: size, width, height, planes, bit count, compression (BI_RGB), image size, pixels
// per metre x and y (0: unspecified), colours used (0: all that the bit count allows), colours important.
void WriteInfoHeader(LittleEndian& out, int32_t width, int32_t height, uint16_t bits, uint32_t image_bytes) {
    out.u32(kInfoHeaderSize);
    out.i32(width);
    out.i32(height);
    out.u16(1);
    out.u16(bits);
    out.u32(0);
    out.u32(image_bytes);
    out.i32(0);
    out.i32(0);
    out.u32(0);
    out.u32(0);
}

uint8_t PaletteIndex(Rgb colour) {
    const auto& palette = StandardPalette16();
    for (size_t i = 0; i < palette.size(); ++i)
        if (palette[i] == colour) return static_cast<uint8_t>(i);
    throw std::invalid_argument("colour not in the 16-colour palette");
}

void CheckIcon(const IconEntry& entry) {
    const IconImage& image = entry.image;
    if (image.width() < 1 || image.width() > 256 || image.height() < 1 || image.height() > 256)
        throw std::invalid_argument("icon size must be 1 to 256 pixels");
    if (image.opaque.size() != image.colour.pixels.size()) throw std::invalid_argument("icon mask size mismatch");
    if (entry.depth != IconDepth::Palette4 && entry.depth != IconDepth::Rgb24)
        throw std::invalid_argument("unsupported icon depth");
}

uint32_t PaletteBytes(IconDepth depth) {
    return depth == IconDepth::Palette4 ? 16 * 4 : 0;
}

uint32_t IconImageBytes(const IconEntry& entry) {
    const IconImage& image = entry.image;
    const uint32_t rows = static_cast<uint32_t>(image.height());
    return kInfoHeaderSize + PaletteBytes(entry.depth) +
           RowBytes(image.width(), static_cast<uint32_t>(entry.depth)) * rows + RowBytes(image.width(), 1) * rows;
}

void WriteIconImage(LittleEndian& out, const IconEntry& entry) {
    const IconImage& image = entry.image;
    const int32_t w = image.width();
    const int32_t h = image.height();
    const uint16_t bits = static_cast<uint16_t>(entry.depth);
    const uint32_t colour_row = RowBytes(w, bits);
    const uint32_t mask_row = RowBytes(w, 1);
    WriteInfoHeader(out, w, 2 * h, bits, (colour_row + mask_row) * static_cast<uint32_t>(h));

    if (entry.depth == IconDepth::Palette4) {
        for (Rgb c : StandardPalette16()) {
            out.u8(c.b);
            out.u8(c.g);
            out.u8(c.r);
            out.u8(0);
        }
    }

    // Colour bits, bottom row first.
    for (int32_t y = h - 1; y >= 0; --y) {
        uint32_t written = 0;
        if (entry.depth == IconDepth::Palette4) {
            for (int32_t x = 0; x < w; x += 2) {
                uint8_t high = image.is_opaque(x, y) ? PaletteIndex(image.at(x, y)) : 0;
                uint8_t low = (x + 1 < w && image.is_opaque(x + 1, y)) ? PaletteIndex(image.at(x + 1, y)) : 0;
                out.u8(static_cast<uint8_t>(high << 4 | low));
                ++written;
            }
        } else {
            for (int32_t x = 0; x < w; ++x) {
                const Rgb c = image.is_opaque(x, y) ? image.at(x, y) : kBlack;
                out.u8(c.b);
                out.u8(c.g);
                out.u8(c.r);
                written += 3;
            }
        }
        out.zeros(colour_row - written);
    }

    // AND mask, bottom row first, most significant bit leftmost; a set bit keeps the screen pixel.
    for (int32_t y = h - 1; y >= 0; --y) {
        uint32_t written = 0;
        for (int32_t x = 0; x < w; x += 8) {
            uint8_t byte = 0;
            for (int32_t bit = 0; bit < 8 && x + bit < w; ++bit)
                if (!image.is_opaque(x + bit, y)) byte |= static_cast<uint8_t>(0x80 >> bit);
            out.u8(byte);
            ++written;
        }
        out.zeros(mask_row - written);
    }
}

} // namespace

const std::array<Rgb, 16>& StandardPalette16() {
    static constexpr std::array<Rgb, 16> kPalette{{
        {0, 0, 0},
        {128, 0, 0},
        {0, 128, 0},
        {128, 128, 0},
        {0, 0, 128},
        {128, 0, 128},
        {0, 128, 128},
        {192, 192, 192},
        {128, 128, 128},
        {255, 0, 0},
        {0, 255, 0},
        {255, 255, 0},
        {0, 0, 255},
        {255, 0, 255},
        {0, 255, 255},
        {255, 255, 255},
    }};
    return kPalette;
}

std::vector<uint8_t> EncodeIcoFile(std::span<const IconEntry> entries) {
    if (entries.empty() || entries.size() > std::numeric_limits<uint16_t>::max())
        throw std::invalid_argument("an icon file holds 1 to 65535 images");
    for (const IconEntry& entry : entries)
        CheckIcon(entry);

    std::vector<uint8_t> bytes;
    LittleEndian out(bytes);
    out.u16(0);
    out.u16(1);
    out.u16(static_cast<uint16_t>(entries.size()));

    uint32_t offset = kIconDirSize + kIconDirEntrySize * static_cast<uint32_t>(entries.size());
    for (const IconEntry& entry : entries) {
        const uint32_t size = IconImageBytes(entry);
        out.u8(static_cast<uint8_t>(entry.image.width() & 0xFF)); // 256 is written as 0
        out.u8(static_cast<uint8_t>(entry.image.height() & 0xFF));
        out.u8(entry.depth == IconDepth::Palette4 ? 16 : 0); // colours in the palette, 0 for none
        out.u8(0);
        out.u16(1);
        out.u16(static_cast<uint16_t>(entry.depth));
        out.u32(size);
        out.u32(offset);
        offset += size;
    }
    for (const IconEntry& entry : entries)
        WriteIconImage(out, entry);
    return bytes;
}

std::vector<uint8_t> EncodeBmp24File(const RgbImage& image) {
    if (image.width < 1 || image.height < 1) throw std::invalid_argument("empty bitmap");
    const uint64_t row = RowBytes(image.width, 24);
    const uint64_t pixel_bytes = row * static_cast<uint64_t>(image.height);
    const uint64_t file_size = kFileHeaderSize + kInfoHeaderSize + pixel_bytes;
    if (file_size > std::numeric_limits<uint32_t>::max()) throw std::invalid_argument("bitmap too large");

    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(file_size));
    LittleEndian out(bytes);
    out.u8('B');
    out.u8('M');
    out.u32(static_cast<uint32_t>(file_size));
    out.u16(0);
    out.u16(0);
    out.u32(kFileHeaderSize + kInfoHeaderSize);
    WriteInfoHeader(out, image.width, image.height, 24, static_cast<uint32_t>(pixel_bytes));
    for (int32_t y = image.height - 1; y >= 0; --y) {
        for (int32_t x = 0; x < image.width; ++x) {
            const Rgb c = image.at(x, y);
            out.u8(c.b);
            out.u8(c.g);
            out.u8(c.r);
        }
        out.zeros(static_cast<size_t>(row - 3 * static_cast<uint64_t>(image.width)));
    }
    return bytes;
}

} // namespace kelpix::core
