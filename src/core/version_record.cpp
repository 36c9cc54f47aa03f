#include "core/version_record.h"

namespace kelpix::core {

namespace {

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52; // VS_FIXEDFILEINFO: thirteen 32-bit fields

uint32_t Read32(std::span<const uint8_t> bytes, size_t at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
}

} // namespace

std::optional<FileVersion> FileVersionIn(std::span<const uint8_t> record) {
    for (size_t at = 0; at + kFixedInfoSize <= record.size(); at += 4) {
        if (Read32(record, at) != kFixedInfoSignature) continue;
        const uint32_t mostSignificant = Read32(record, at + 8); // after the signature and the structure's version
        return FileVersion{static_cast<uint16_t>(mostSignificant >> 16), static_cast<uint16_t>(mostSignificant)};
    }
    return std::nullopt;
}

} // namespace kelpix::core
