#include "core/version_record.h"

#include <vector>

#include <gtest/gtest.h>

namespace kelpix::core {
namespace {

// A record with the fixed part at `at`: signature, structure version 1.0, file version 1.13.
std::vector<uint8_t> Record(size_t at, size_t size) {
    std::vector<uint8_t> bytes(size, 0);
    const uint32_t words[] = {0xFEEF04BD, 0x00010000, 0x0001000D, 0x00020003};
    for (size_t i = 0; i < 4; ++i)
        for (size_t b = 0; b < 4 && at + 4 * i + b < size; ++b)
            bytes[at + 4 * i + b] = static_cast<uint8_t>(words[i] >> (8 * b));
    return bytes;
}

TEST(VersionRecord, TheFixedPartIsFoundByItsSignatureAtAFourByteBoundary) {
    EXPECT_EQ(FileVersionIn(Record(40, 200))->major, 1);
    EXPECT_EQ(FileVersionIn(Record(40, 200))->minor, 13);
    EXPECT_FALSE(FileVersionIn(Record(42, 200))) << "not at a four-byte boundary";
    EXPECT_FALSE(FileVersionIn(Record(40, 91))) << "the fixed part does not fit";
    EXPECT_TRUE(FileVersionIn(Record(40, 92)));
    EXPECT_FALSE(FileVersionIn({}));
}

} // namespace
} // namespace kelpix::core
