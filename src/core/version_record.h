// The file version in a module's version record (the VS_VERSIONINFO resource), read without the
// system's version library.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace kelpix::core {

struct FileVersion {
    uint16_t major, minor;
};

// The major and minor file version of the record's fixed part, found by its signature 0xFEEF04BD
// at a four-byte boundary; nothing when the record has none.
std::optional<FileVersion> FileVersionIn(std::span<const uint8_t> record);

} // namespace kelpix::core
