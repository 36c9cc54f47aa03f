#include "core/icons.h"

#include "core/glyphs.h"

#include <cstdlib>
#include <stdexcept>

namespace kelpix::core {
namespace {

// Shapes are laid out on a doubled grid so that every test is in whole numbers: a pixel (x, y) of an
// image n pixels wide has its centre at u = 2x + 1 - n, v = 2y + 1 - n relative to the image centre,
// and a radius r compares as u * u + v * v against (2r) * (2r).
constexpr int32_t Doubled(int32_t pixel, int32_t size) {
    return 2 * pixel + 1 - size;
}

// The application icon: a target reticle. A black ring round a red disc, a black cross through the
// disc that stops short of the centre, and the cross continued outside the ring as ticks to the icon's
// edges, widened where they leave the ring. All limits are squared doubled radii (see Doubled). The
// large icon's ring is sized so that about a third of it (352 of 1024 pixels) stays transparent.
struct Reticle {
    int32_t size;
    int32_t outer2;      // outer edge of the black ring
    int32_t shoulder2;   // out to here the ticks are twice as wide as the bars
    int32_t ring_inner2; // inner edge of the black ring, where the red disc begins
    int32_t gap2;        // the bars of the cross stop here, short of the centre
    int32_t dot2;        // black centre dot
    int32_t half_line;   // half the width of the cross's bars, doubled
};

constexpr Reticle kLargeReticle{32, 818, 850, 25 * 25, 9 * 9, 3 * 3, 2};
constexpr Reticle kSmallReticle{16, 15 * 15, 0, 12 * 12, 3 * 3, 0, 2};

// The large reticle at another size: every squared radius scaled by the square of the sizes' ratio,
// the bars kept one pixel wide.
Reticle ScaledReticle(int32_t size) {
    auto scaled = [size](int32_t squared) {
        return (squared * size * size + kLargeReticle.size * kLargeReticle.size / 2) /
               (kLargeReticle.size * kLargeReticle.size);
    };
    return {size,
            scaled(kLargeReticle.outer2),
            scaled(kLargeReticle.shoulder2),
            scaled(kLargeReticle.ring_inner2),
            scaled(kLargeReticle.gap2),
            scaled(kLargeReticle.dot2),
            kLargeReticle.half_line};
}

bool IsTraySize(int32_t size) {
    for (int32_t s : kTrayIconSizes)
        if (s == size) return true;
    return false;
}

IconImage DrawReticle(const Reticle& shape) {
    IconImage icon(shape.size, shape.size);
    for (int32_t y = 0; y < shape.size; ++y) {
        for (int32_t x = 0; x < shape.size; ++x) {
            const int32_t u = Doubled(x, shape.size);
            const int32_t v = Doubled(y, shape.size);
            const int32_t d2 = u * u + v * v;
            const bool on_cross = std::abs(u) < shape.half_line || std::abs(v) < shape.half_line;
            const bool on_shoulder = std::abs(u) < 2 * shape.half_line || std::abs(v) < 2 * shape.half_line;
            if (d2 > shape.outer2) {
                if (on_cross || (on_shoulder && d2 <= shape.shoulder2)) icon.paint(x, y, kBlack);
            } else if (d2 > shape.ring_inner2 || d2 <= shape.dot2 || (on_cross && d2 > shape.gap2)) {
                icon.paint(x, y, kBlack);
            } else {
                icon.paint(x, y, kRed);
            }
        }
    }
    return icon;
}

} // namespace

int32_t TrayIconSize(int32_t systemSize) {
    int32_t chosen = kTrayIconSizes[0];
    for (int32_t s : kTrayIconSizes)
        if (s <= systemSize) chosen = s;
    return chosen;
}

RgbImage CountdownImage(int number, int32_t size) {
    if (number < kCountdownFirst || number > kCountdownLast) throw std::out_of_range("countdown number out of range");
    if (!IsTraySize(size)) throw std::invalid_argument("countdown images come in the notification area's sizes only");
    const int32_t scale = size / kCountdownImageSize;
    const int32_t margin = (size - kCountdownImageSize * scale) / 2;
    RgbImage image(size, size, kCountdownGround);
    const auto at = [&](int32_t designed) { return margin + designed * scale; };
    if (number < 10) {
        DrawDigit(image, number, at(kCountdownSingleLeft), at(kCountdownDigitTop), kCountdownInk, scale);
    } else {
        DrawDigit(image, number / 10, at(kCountdownTensLeft), at(kCountdownDigitTop), kCountdownInk, scale);
        DrawDigit(image, number % 10, at(kCountdownUnitsLeft), at(kCountdownDigitTop), kCountdownInk, scale);
    }
    return image;
}

RgbImage CountdownStrip(int32_t size) {
    RgbImage strip(size * kCountdownImageCount, size, kCountdownGround);
    for (int number = kCountdownFirst; number <= kCountdownLast; ++number) {
        const RgbImage image = CountdownImage(number, size);
        const int32_t left = size * (number - kCountdownFirst);
        for (int32_t y = 0; y < image.height; ++y)
            for (int32_t x = 0; x < image.width; ++x)
                strip.at(left + x, y) = image.at(x, y);
    }
    return strip;
}

IconImage MainIcon(int32_t size) {
    if (size == kMainIconLargeSize) return DrawReticle(kLargeReticle);
    if (size == kMainIconSmallSize) return DrawReticle(kSmallReticle);
    if (IsTraySize(size)) return DrawReticle(ScaledReticle(size));
    throw std::invalid_argument("the application icon comes in 32, 24, 20 and 16 pixels only");
}

IconImage TargetIcon(int32_t size) {
    if (size != kTargetIconSize && size != kTargetIconSize * 3 / 2 && size != kTargetIconSize * 2)
        throw std::invalid_argument("the target icon comes in 32, 48 and 64 pixels only");
    // Designed at 32 pixels and drawn at the size asked for: every length below is a 32-pixel one,
    // compared after multiplying both sides by the scale (size / 32), so that the 32-pixel icon is
    // exactly the designed one and the larger ones are the same shapes with finer edges.
    //
    // The lens is centred on the pixel corner (12, 12). The handle is a band along the diagonal to the
    // lower right: s runs along it and p across it, both on the doubled grid (true lengths are
    // s / (2 * sqrt 2) and p / (2 * sqrt 2)). The band starts inside the rim, so its square end is hidden
    // there; it is black all round, with a grey grip inside, lit along its upper edge.
    constexpr int32_t kLensCorner = 12;
    constexpr int32_t kRimOuter2 = 21 * 21;  // rim out to 10.5 pixels from the centre
    constexpr int32_t kLensInner2 = 16 * 16; // white glass within 8 pixels
    constexpr int32_t kHandleStart = 26, kHandleEnd = 72, kHandleHalf = 11;
    constexpr int32_t kGripStart = 38, kGripEnd = 68, kGripHalf = 6, kHighlight = 2;
    const int32_t n = size, d = kTargetIconSize; // scale n / d
    const int32_t corner = kLensCorner * n / d;
    IconImage icon(size, size);
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            const int32_t u = 2 * (x - corner) + 1;
            const int32_t v = 2 * (y - corner) + 1;
            const int32_t d2 = (u * u + v * v) * d * d;
            const int32_t s = (u + v) * d;
            const int32_t p = (u - v) * d;
            if (d2 <= kLensInner2 * n * n) {
                icon.paint(x, y, kWhite);
            } else if (d2 <= kRimOuter2 * n * n) {
                icon.paint(x, y, kBlack);
            } else if (s >= kHandleStart * n && s <= kHandleEnd * n && std::abs(p) <= kHandleHalf * n) {
                const bool grip = s > kGripStart * n && s < kGripEnd * n && std::abs(p) <= kGripHalf * n;
                icon.paint(x, y, !grip ? kBlack : p > kHighlight * n ? kHandleLightGrey : kHandleGrey);
            }
        }
    }
    return icon;
}

} // namespace kelpix::core
