// A 3840 x 2160 32-bit capture of a desktop, the same pixels on every run: a gradient wallpaper,
// windows with gradient title bars, flat faces covered in lines of text-like glyphs whose strokes
// have grey, anti-aliased edges, and a photo-like picture with grain in each window.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/pixel_image.h"

namespace kelpix::bench {

constexpr int kCaptureWidth = 3840;
constexpr int kCaptureHeight = 2160;

inline uint32_t NextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

inline void Fill(core::PixelImage& image, int left, int top, int right, int bottom, uint8_t r, uint8_t g, uint8_t b) {
    for (int y = top; y < bottom; ++y) {
        uint8_t* row = image.bits.data() + static_cast<size_t>(image.height - 1 - y) * image.width * 4;
        for (int x = left; x < right; ++x) {
            uint8_t* p = row + 4 * x;
            p[0] = b, p[1] = g, p[2] = r, p[3] = 0;
        }
    }
}

// Without photos (withPhotos false) their places keep the window's face colour.
inline core::PixelImage MakeScreenCapture(bool withPhotos = true) {
    constexpr int kWidth = kCaptureWidth, kHeight = kCaptureHeight;
    core::PixelImage image;
    image.width = kWidth;
    image.height = kHeight;
    image.bitsPerPixel = 32;
    image.bits.resize(static_cast<size_t>(kWidth) * kHeight * 4);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            Fill(image, x, y, x + 1, y + 1, static_cast<uint8_t>(20 + 60 * y / kHeight),
                 static_cast<uint8_t>(70 + 90 * x / kWidth), static_cast<uint8_t>(140 + 80 * y / kHeight));
        }
    }
    uint32_t seed = 20240601;
    struct Window {
        int left, top, right, bottom;
    };
    const Window windows[] = {{120, 90, 1900, 1300}, {1500, 400, 3600, 1900}, {300, 1100, 1700, 2050}};
    for (const Window& w : windows) {
        Fill(image, w.left - 1, w.top - 1, w.right + 1, w.bottom + 1, 90, 90, 90); // frame
        for (int x = w.left; x < w.right; ++x) {                                   // title bar gradient
            const int t = 255 * (x - w.left) / (w.right - w.left);
            Fill(image, x, w.top, x + 1, w.top + 30, static_cast<uint8_t>(10 + t / 4), static_cast<uint8_t>(36 + t / 3),
                 static_cast<uint8_t>(106 + t / 2));
        }
        Fill(image, w.left, w.top + 30, w.right, w.bottom, 240, 240, 240);
        // Lines of 8 x 16 glyph cells with 1-pixel strokes and a lighter pixel beside each stroke,
        // broken into words.
        for (int line = w.top + 44; line + 16 < w.bottom - 300; line += 22) {
            for (int cell = w.left + 12; cell + 8 < w.right - 12; cell += 8) {
                if (NextRandom(seed) % 7 == 0) continue; // a space
                const uint32_t glyph = NextRandom(seed);
                for (int stroke = 0; stroke < 5; ++stroke) {
                    const int sx = cell + 1 + static_cast<int>((glyph >> (stroke * 3)) % 6);
                    const bool vertical = (glyph >> (15 + stroke)) & 1;
                    const auto edge = static_cast<uint8_t>(96 + (glyph >> (20 + stroke)) % 4 * 32);
                    if (vertical) {
                        Fill(image, sx + 1, line + 3, sx + 2, line + 13, edge, edge, edge);
                        Fill(image, sx, line + 3, sx + 1, line + 13, 16, 16, 16);
                    } else {
                        const int sy = line + 3 + 2 * stroke;
                        Fill(image, cell + 1, sy + 1, cell + 7, sy + 2, edge, edge, edge);
                        Fill(image, cell + 1, sy, cell + 7, sy + 1, 16, 16, 16);
                    }
                }
            }
        }
        // A photo in the lower part of the window: soft light over a few round shapes with blurred
        // edges, in every direction, with a little sensor grain.
        const int photoLeft = w.left + 20, photoTop = w.bottom - 280, photoRight = w.right - 20;
        struct Blob {
            double x, y, radius;
            int r, g, b;
        };
        Blob blobs[6];
        for (Blob& blob : blobs) {
            blob = {static_cast<double>(photoLeft + NextRandom(seed) % (photoRight - photoLeft)),
                    static_cast<double>(photoTop + NextRandom(seed) % 260),
                    30.0 + NextRandom(seed) % 120,
                    static_cast<int>(NextRandom(seed) % 200),
                    static_cast<int>(NextRandom(seed) % 200),
                    static_cast<int>(NextRandom(seed) % 200)};
        }
        for (int y = photoTop; withPhotos && y < w.bottom - 20; ++y) {
            for (int x = photoLeft; x < photoRight; ++x) {
                const double light = 0.5 + 0.25 * std::sin(x / 97.0 + y / 61.0) + 0.15 * std::cos(x / 41.0 - y / 29.0);
                double r = 60 + 150 * light, g = 80 + 120 * light, b = 40 + 100 * light;
                for (const Blob& blob : blobs) {
                    const double d = std::hypot(x - blob.x, y - blob.y) - blob.radius;
                    const double inside = std::clamp(0.5 - d / 3.0, 0.0, 1.0); // a 3-pixel soft edge
                    r += inside * (blob.r * light - r + 30), g += inside * (blob.g * light - g + 30);
                    b += inside * (blob.b * light - b + 30);
                }
                const int grain = static_cast<int>(NextRandom(seed) % 5) - 2;
                Fill(image, x, y, x + 1, y + 1, static_cast<uint8_t>(std::clamp(static_cast<int>(r) + grain, 0, 255)),
                     static_cast<uint8_t>(std::clamp(static_cast<int>(g) + grain, 0, 255)),
                     static_cast<uint8_t>(std::clamp(static_cast<int>(b) + grain, 0, 255)));
            }
        }
    }
    return image;
}

} // namespace kelpix::bench
