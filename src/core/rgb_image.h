// Plain pixel buffers for the pictures the program generates for itself: the countdown images, the
// application icon and the target icon. Rows run from the top down, pixels from left to right.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kelpix::core {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;

    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kRed{255, 0, 0};

// An opaque picture.
struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Rgb> pixels; // width * height, top row first

    RgbImage() = default;
    RgbImage(int32_t w, int32_t h, Rgb fill = kBlack) : width(w), height(h) {
        if (w < 0 || h < 0) throw std::invalid_argument("negative image size");
        pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), fill);
    }

    bool contains(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    Rgb& at(int32_t x, int32_t y) { return pixels[index(x, y)]; }
    const Rgb& at(int32_t x, int32_t y) const { return pixels[index(x, y)]; }

    friend bool operator==(const RgbImage&, const RgbImage&) = default;

private:
    size_t index(int32_t x, int32_t y) const {
        if (!contains(x, y)) throw std::out_of_range("pixel outside the image");
        return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
    }
};

// A picture with a one-bit transparency mask, as an icon carries it. Transparent pixels keep the
// colour black so that the icon's colour bits leave the screen unchanged under them.
struct IconImage {
    RgbImage colour;
    std::vector<uint8_t> opaque; // one entry per pixel, 1 = opaque, 0 = transparent

    IconImage() = default;
    IconImage(int32_t w, int32_t h)
        : colour(w, h, kBlack), opaque(static_cast<size_t>(w) * static_cast<size_t>(h), 0) {}

    int32_t width() const { return colour.width; }
    int32_t height() const { return colour.height; }
    bool is_opaque(int32_t x, int32_t y) const {
        colour.at(x, y); // bounds check
        return opaque[static_cast<size_t>(y) * static_cast<size_t>(colour.width) + static_cast<size_t>(x)] != 0;
    }
    Rgb at(int32_t x, int32_t y) const { return colour.at(x, y); }
    void paint(int32_t x, int32_t y, Rgb c) {
        colour.at(x, y) = c;
        opaque[static_cast<size_t>(y) * static_cast<size_t>(colour.width) + static_cast<size_t>(x)] = 1;
    }
    void clear(int32_t x, int32_t y) {
        colour.at(x, y) = kBlack;
        opaque[static_cast<size_t>(y) * static_cast<size_t>(colour.width) + static_cast<size_t>(x)] = 0;
    }
};

} // namespace kelpix::core
