#include "core/resolution.h"

#include <stdexcept>

namespace kelpix::core {

int32_t PixelsPerMetre(uint32_t dpi) {
    if (auto problem = CheckDpi(dpi)) throw std::invalid_argument(*problem);
    // An inch is 254 / 10000 metres; adding half the divisor rounds to the nearest.
    return static_cast<int32_t>((uint64_t{dpi} * 10000 + 127) / 254);
}

std::optional<std::string> CheckDpi(uint32_t dpi) {
    if (dpi <= kMaxDpi) return std::nullopt;
    return "a resolution of " + std::to_string(dpi) + " DPI is above the largest a file can hold, " +
           std::to_string(kMaxDpi);
}

} // namespace kelpix::core
