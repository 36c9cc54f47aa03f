#include "core/window_shape.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace kelpix::core {

namespace {

constexpr uint32_t kBaseDpi = 96;
constexpr int32_t kRadiusAtBaseDpi = 8;
constexpr int32_t kSmallRadiusAtBaseDpi = 4;
constexpr uint8_t kOutside = 0;
constexpr uint8_t kInside = 255;

bool Contains(const Rect& outer, const Rect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// The area's pixels as bytes, top row first.
class AreaMask {
public:
    AreaMask(const Rect& area, uint8_t value)
        : area_(area), bytes_(static_cast<size_t>(area.Width()) * static_cast<size_t>(area.Height()), value) {}

    // Sets the part of `window` (in window coordinates) that lies in the area.
    void Fill(const Rect& window, uint8_t value) {
        const Rect part = Intersection(window, area_);
        for (int32_t y = part.top; y < part.bottom; ++y)
            std::memset(&At(part.left, y), value, static_cast<size_t>(part.Width()));
    }
    bool Holds(int32_t x, int32_t y) const {
        return x >= area_.left && x < area_.right && y >= area_.top && y < area_.bottom;
    }
    uint8_t& At(int32_t x, int32_t y) {
        return bytes_[static_cast<size_t>(y - area_.top) * static_cast<size_t>(area_.Width()) +
                      static_cast<size_t>(x - area_.left)];
    }
    bool AnyOutside() const { return std::memchr(bytes_.data(), kOutside, bytes_.size()) != nullptr; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    Rect area_;
    std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> RegionMask(const Rect& area, const std::vector<Rect>& region) {
    for (const Rect& part : region)
        if (Contains(part, area)) return {};
    AreaMask mask(area, kOutside);
    for (const Rect& part : region)
        mask.Fill(part, kInside);
    if (!mask.AnyOutside()) return {}; // the rectangles cover the area together
    return mask.Take();
}

bool CornersRounded(const WindowShapeFacts& facts) {
    const bool asked = facts.corners == CornerPreference::Round || facts.corners == CornerPreference::RoundSmall;
    const bool byDefault = !asked && facts.corners != CornerPreference::DoNotRound; // other values too
    return facts.build >= kFirstRoundingBuild && (asked || (byDefault && facts.framed)) && !facts.maximized &&
           !facts.arranged && !facts.remoteSession && facts.composition && !facts.childControl && !facts.ownArea &&
           !facts.region;
}

// The integral of sqrt(r^2 - t^2) from 0 to u, for 0 <= u <= r: the area under a quarter circle.
double UnderCircle(double u, double r) {
    u = std::min(u, r);
    return 0.5 * (u * std::sqrt(std::max(0.0, r * r - u * u)) + r * r * std::asin(u / r));
}

// The share of the unit square [a, a+1] x [b, b+1] that lies inside the circle of radius r about
// (0, 0), for a, b >= 0. Over a column at u the circle reaches up to sqrt(r^2 - u^2): above b + 1
// the column is wholly inside, below b not at all.
double Coverage(int32_t a, int32_t b, int32_t r) {
    const double radius = r;
    const auto reachAt = [radius](double height) {
        return height >= radius ? 0.0 : std::sqrt(radius * radius - height * height);
    };
    const double whole = std::clamp(reachAt(b + 1.0), double(a), a + 1.0);
    const double ends = std::clamp(reachAt(b), double(a), a + 1.0);
    const double partly = UnderCircle(ends, radius) - UnderCircle(whole, radius) - b * (ends - whole);
    return (whole - a) + partly;
}

// The alpha of each pixel of a radius-by-radius corner square, row by row, the outermost pixel first.
std::vector<uint8_t> CornerAlphas(int32_t radius) {
    std::vector<uint8_t> alphas(static_cast<size_t>(radius) * static_cast<size_t>(radius));
    for (int32_t row = 0; row < radius; ++row)
        for (int32_t column = 0; column < radius; ++column) {
            const double share = Coverage(radius - 1 - column, radius - 1 - row, radius);
            alphas[static_cast<size_t>(row * radius + column)] = static_cast<uint8_t>(std::lround(share * kInside));
        }
    return alphas;
}

std::vector<uint8_t> RoundedMask(const Rect& area, const Rect& visible, int32_t radius) {
    const bool beyondVisible = !Contains(visible, area);
    const Rect squares[] = {{visible.left, visible.top, visible.left + radius, visible.top + radius},
                            {visible.right - radius, visible.top, visible.right, visible.top + radius},
                            {visible.left, visible.bottom - radius, visible.left + radius, visible.bottom},
                            {visible.right - radius, visible.bottom - radius, visible.right, visible.bottom}};
    if (!beyondVisible && std::none_of(std::begin(squares), std::end(squares),
                                       [&](const Rect& s) { return !Intersection(s, area).Empty(); }))
        return {};

    AreaMask mask(area, beyondVisible ? kOutside : kInside);
    if (beyondVisible) mask.Fill(visible, kInside);
    const std::vector<uint8_t> alphas = CornerAlphas(radius);
    bool edgeSeen = beyondVisible;
    for (int corner = 0; corner < 4; ++corner) {
        const bool right = corner % 2 == 1, bottom = corner >= 2;
        for (int32_t row = 0; row < radius; ++row) {
            const int32_t y = bottom ? visible.bottom - 1 - row : visible.top + row;
            for (int32_t column = 0; column < radius; ++column) {
                const int32_t x = right ? visible.right - 1 - column : visible.left + column;
                if (!mask.Holds(x, y)) continue;
                const uint8_t alpha = alphas[static_cast<size_t>(row * radius + column)];
                mask.At(x, y) = alpha;
                edgeSeen = edgeSeen || alpha != kInside;
            }
        }
    }
    return edgeSeen ? mask.Take() : std::vector<uint8_t>{};
}

} // namespace

int32_t CornerRadius(const WindowShapeFacts& facts) {
    if (!CornersRounded(facts) || facts.visible.Empty()) return 0;
    const int64_t atBase = facts.corners == CornerPreference::RoundSmall ? kSmallRadiusAtBaseDpi : kRadiusAtBaseDpi;
    const int64_t dpi = facts.dpi == 0 ? kBaseDpi : facts.dpi;
    const int64_t scaled = (atBase * dpi + kBaseDpi / 2) / kBaseDpi;
    const int64_t fits = std::min(facts.visible.Width(), facts.visible.Height()) / 2;
    return static_cast<int32_t>(std::min(scaled, fits));
}

std::vector<uint8_t> WindowShapeMask(const WindowShapeFacts& facts) {
    if (facts.area.Empty() || facts.ownArea) return {};
    if (facts.region) return RegionMask(facts.area, *facts.region);
    const int32_t radius = CornerRadius(facts);
    if (radius == 0) return {};
    return RoundedMask(facts.area, facts.visible, radius);
}

} // namespace kelpix::core
